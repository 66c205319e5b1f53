#include "programs.h"

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>

#include "run/failure_reason.hpp"

namespace callbench_test {

std::string Program::Path() const {
  std::filesystem::path path = CALLBENCH_BUILD_ROOT;
  path /= platform == Platform::kLinux ? "linux-i386" : "win32";
  const char* stem = "callbench";
  if (variant != Variant::kShipped) {
    path /= "test-programs";
    stem = variant == Variant::kStackBelow ? "callbench-stack-below" : "callbench-stack-above";
  }
  path /= std::string(stem) + (platform == Platform::kWindows ? ".exe" : "");
  // A missing program is a failure, never a reason to skip.
  if (!std::filesystem::is_regular_file(path)) {
    throw std::runtime_error(path.string() + " has not been built");
  }
  return path.string();
}

std::string Program::Name() const {
  static const char* const kVariantNames[] = {"", "_stack_below", "_stack_above"};
  return PlatformName(platform) + kVariantNames[static_cast<int>(variant)];
}

Launch Program::Options(const std::vector<std::string>& arguments, const std::string& wine_debug) const {
  Launch options;
  if (platform == Platform::kWindows) {
    options.command.push_back("wine");
    options.environment.push_back("WINEDEBUG=" + wine_debug);
  }
  options.command.push_back(Path());
  options.command.insert(options.command.end(), arguments.begin(), arguments.end());
  return options;
}

const std::vector<Platform>& BothPlatforms() {
  static const std::vector<Platform> kBoth = {Platform::kLinux, Platform::kWindows};
  return kBoth;
}

std::string PlatformName(Platform platform) {
  return platform == Platform::kLinux ? "linux" : "win32";
}

std::string RunCommand(const std::vector<std::string>& command, callbench::ProcessResult& result) {
  callbench::ProcessLimits limits;
  limits.max_output = limits.error_tail = 64 << 20;
  result = callbench::run_process(command, limits);
  return callbench::failure_reason(result, command.at(0), limits);
}

TemporaryPath::TemporaryPath(const std::string& stem, Kind kind) {
  std::string pattern = (std::filesystem::temp_directory_path() / ("callbench-" + stem + "-XXXXXX")).string();
  const bool made =
      kind == kDirectory ? mkdtemp(pattern.data()) != nullptr : close(mkstemp(pattern.data())) == 0;
  if (!made) throw std::runtime_error("cannot make " + pattern);
  path_ = pattern;
}

TemporaryPath::~TemporaryPath() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace callbench_test
