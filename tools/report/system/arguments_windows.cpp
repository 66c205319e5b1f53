#include <windows.h>
#include <shellapi.h>

#include <cwchar>

#include "system/arguments.hpp"
#include "system/windows_text.hpp"

namespace callbench {

std::vector<std::string> utf8_arguments(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  // Should the system not split it, the ANSI argv is all there is.
  if (wide == nullptr) return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(narrow(wide[i], std::wcslen(wide[i])));
  ::LocalFree(wide);
  return arguments;
}

}  // namespace callbench
