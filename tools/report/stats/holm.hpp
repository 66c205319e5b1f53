#pragma once

#include <optional>
#include <vector>

namespace callbench::stats {

// Holm's step-down adjustment of a family of p-values: the family's chance of
// any false claim stays within the level each adjusted p-value is held to.
// Missing p-values (no test possible) are not counted in the family and stay
// missing; the result is in the order given.
std::vector<std::optional<double>> holm_adjust(const std::vector<std::optional<double>>& p_values);

}  // namespace callbench::stats
