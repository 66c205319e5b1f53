// The built programs under test and how to start each: the Linux one
// directly, the Windows one under Wine.
#pragma once

#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "launch.h"
#include "system/process.hpp"

namespace callbench_test {

using callbench::Destination;
using callbench::Ended;
using callbench::file_text;
using callbench::Launch;
using callbench::Source;

enum class Platform { kLinux, kWindows };

enum class Variant {
  kShipped,
  kStackBelow,  // stack pointer ends 4 bytes below its entry value
  kStackAbove,  // ... 4 bytes above
};

struct Program {
  Platform platform;
  Variant variant;

  std::string Path() const;  // throws if the program has not been built
  std::string Name() const;  // e.g. "linux_stack_below", for test names

  // How to start it with these arguments (Wine quiet unless wine_debug says otherwise).
  Launch Options(const std::vector<std::string>& arguments = {}, const std::string& wine_debug = "-all") const;
};

const std::vector<Platform>& BothPlatforms();
std::string PlatformName(Platform platform);

// For parameterised test names and messages.
inline std::ostream& operator<<(std::ostream& out, Platform platform) {
  return out << PlatformName(platform);
}

// Names a test parameterised by (platform, case with a name), e.g. "linux_closed".
struct PlatformAndCaseName {
  template <typename Info>
  std::string operator()(const Info& info) const {
    return PlatformName(std::get<0>(info.param)) + "_" + std::get<1>(info.param).name;
  }
};

// Runs a tool (gcc, nm, objdump) to its end with callbench-report's own
// run_process, its output kept whole; how it failed, or "" when it exited with 0.
std::string RunCommand(const std::vector<std::string>& command, callbench::ProcessResult& result);

// A fresh empty file or directory under the temporary directory, removed
// with its contents on destruction.
class TemporaryPath {
 public:
  enum Kind { kFile, kDirectory };
  TemporaryPath(const std::string& stem, Kind kind);
  ~TemporaryPath();
  TemporaryPath(const TemporaryPath&) = delete;
  TemporaryPath& operator=(const TemporaryPath&) = delete;
  const std::string& str() const { return path_; }

 private:
  std::string path_;
};

}  // namespace callbench_test
