#pragma once

#include <optional>
#include <string>
#include <vector>

namespace callbench {

// Whether the command starts its program under Wine (its first word is wine,
// wine64 or a path to one of them).
bool runs_under_wine(const std::vector<std::string>& command);

// Wine's own processes, by the names the system gives them: the server and
// the services it starts, which outlive each program run under Wine by design
// and end by themselves a little later.
const std::vector<std::string>& wine_own_processes();

// "wine-8.0" as `wine --version` prints it, when the command runs under Wine.
std::optional<std::string> wine_version(const std::vector<std::string>& command);

}  // namespace callbench
