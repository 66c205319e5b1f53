#include <windows.h>

#include "system/default_command.hpp"
#include "system/windows_text.hpp"

namespace callbench {

// The tool and the benchmark lie side by side, in a build folder as in a user's.
std::string program_beside(const std::string& own_path) {
  const auto separator = own_path.find_last_of("\\/");
  const std::string dir = separator == std::string::npos ? "." : own_path.substr(0, separator);
  return dir + "\\callbench.exe";
}

std::optional<std::string> own_path() {
  // Long paths go past MAX_PATH; a truncated name fills the buffer exactly.
  for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
    std::wstring path(size, L'\0');
    const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), size);
    if (length == 0) return std::nullopt;
    if (length < size) return narrow(path.data(), length);
  }
  return std::nullopt;
}

}  // namespace callbench
