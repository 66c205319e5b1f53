#pragma once

#include <string>
#include <vector>

namespace callbench {

// One argument quoted so that CommandLineToArgvW and the C runtime read it back
// unchanged: in double quotes when it is empty or holds a space, tab or quote,
// with backslashes doubled before a quote and before the closing quote.
std::string quote_windows_argument(const std::string& argument);

// The whole command line for CreateProcessW, arguments joined by spaces.
std::string windows_command_line(const std::vector<std::string>& argv);

}  // namespace callbench
