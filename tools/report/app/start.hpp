#pragma once

#include <string>
#include <vector>

namespace callbench {

// Readies the process (standard streams that were closed are held so nothing
// else takes their number) and returns its arguments as UTF-8, program name first.
std::vector<std::string> start_program(int argc, char** argv);

}  // namespace callbench
