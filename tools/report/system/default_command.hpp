#pragma once

#include <optional>
#include <string>

namespace callbench {

// The Linux benchmark of the same build: <dir of exe>/../linux-i386/callbench.
std::string program_beside(const std::string& exe);

// program_beside() of this very program, if /proc/self/exe can be read.
std::optional<std::string> default_program();

}  // namespace callbench
