// The built programs under test and how to start each: the Linux one
// directly, the Windows one under Wine.
#pragma once

#include <ostream>
#include <string>
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

}  // namespace callbench_test
