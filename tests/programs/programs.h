// The built programs under test and how to start each: the Linux one
// directly, the Windows one under Wine.
#pragma once

#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "process.h"

namespace callbench_test {

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

  // The command line that runs it with these arguments, and the options
  // for it (Wine quiet unless wine_debug says otherwise).
  ProcessOptions Options(const std::vector<std::string>& arguments = {},
                         const std::string& wine_debug = "-all") const;
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

}  // namespace callbench_test
