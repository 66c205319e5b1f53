#pragma once

namespace callbench {

// Set by the build from the project's version.
inline constexpr const char* kToolVersion = CALLBENCH_VERSION;

}  // namespace callbench
