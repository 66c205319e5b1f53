#pragma once

#include <optional>
#include <string>

namespace callbench {

// The benchmark of the same build beside this program: on Linux
// <dir>/callbench if there is one (a bundle), else <dir>/../linux-i386/callbench
// (the host and Linux builds are siblings); on Windows <dir>\callbench.exe.
std::string program_beside(const std::string& own_path);

// This program's own path, if the system tells.
std::optional<std::string> own_path();

// program_beside() of this very program.
std::optional<std::string> default_program();

}  // namespace callbench
