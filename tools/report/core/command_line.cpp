#include "core/command_line.hpp"

namespace callbench {

std::string quote_windows_argument(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
  // Backslashes mean themselves unless a quote follows them, so only those
  // runs are doubled (plus one to escape a literal quote).
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (const char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') {
      quoted.append(2 * backslashes + 1, '\\');
    } else {
      quoted.append(backslashes, '\\');
    }
    quoted += c;
    backslashes = 0;
  }
  quoted.append(2 * backslashes, '\\');
  quoted += '"';
  return quoted;
}

std::string windows_command_line(const std::vector<std::string>& argv) {
  std::string line;
  for (const auto& argument : argv) {
    if (!line.empty()) line += ' ';
    line += quote_windows_argument(argument);
  }
  return line;
}

std::string shell_command_line(const std::vector<std::string>& argv) {
  std::string text;
  for (const auto& word : argv) {
    if (!text.empty()) text += ' ';
    const bool plain = !word.empty() && word.find_first_of(" \t\n\"'\\$`*?[]{}()<>|&;#~!") == std::string::npos;
    if (plain) {
      text += word;
      continue;
    }
    text += '\'';
    for (const char c : word) text += c == '\'' ? std::string("'\\''") : std::string(1, c);
    text += '\'';
  }
  return text;
}

std::string command_text(const std::vector<std::string>& argv) {
#ifdef _WIN32
  return windows_command_line(argv);
#else
  return shell_command_line(argv);
#endif
}

}  // namespace callbench
