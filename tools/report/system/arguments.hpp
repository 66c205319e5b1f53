#pragma once

#include <string>
#include <vector>

namespace callbench {

// The command line as UTF-8, program name first. On Windows it is read as
// UTF-16 from the system, since argv holds the arguments in the ANSI code page.
std::vector<std::string> utf8_arguments(int argc, char** argv);

}  // namespace callbench
