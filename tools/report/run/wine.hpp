#pragma once

#include <optional>
#include <string>
#include <vector>

namespace callbench {

// Whether the command starts its program under Wine (its first word is wine,
// wine64 or a path to one of them).
bool runs_under_wine(const std::vector<std::string>& command);

// "wine-8.0" as `wine --version` prints it, when the command runs under Wine.
std::optional<std::string> wine_version(const std::vector<std::string>& command);

}  // namespace callbench
