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

// A command as a POSIX shell would need it typed: words with spaces, quotes or
// other special characters in single quotes.
std::string shell_command_line(const std::vector<std::string>& argv);

// A command as the user of this build would type it: cmd.exe's form on Windows,
// the shell's elsewhere.
std::string command_text(const std::vector<std::string>& argv);

}  // namespace callbench
