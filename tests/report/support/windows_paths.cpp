#include "windows_paths.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <filesystem>

#include "system/default_command.hpp"
#include "system/windows_text.hpp"

namespace callbench {
namespace {

std::string test_folder() {
  const std::string self = own_path().value_or("");
  return self.substr(0, self.find_last_of("\\/"));
}

}  // namespace

std::string beside_tests(const std::string& name) {
  return test_folder() + "\\" + name;
}

std::string in_build_root(const std::string& name) {
  std::string relative = CALLBENCH_BUILD_ROOT_FROM_TESTS;
  std::replace(relative.begin(), relative.end(), '/', '\\');
  return test_folder() + "\\" + relative + "\\" + name;
}

ScratchFolder::ScratchFolder() {
  static std::atomic<int> serial{0};
  const auto path =
      std::filesystem::temp_directory_path() /
      (L"callbench-report-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(serial++));
  std::filesystem::remove_all(path);
  std::filesystem::create_directories(path);
  path_ = narrow(path.wstring());
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(widen(path_), ignored);
}

}  // namespace callbench
