#include "analyse/stats/runs_needed.hpp"

#include <cmath>
#include <stdexcept>

#include "analyse/stats/student_t.hpp"

namespace callbench::stats {

std::optional<std::size_t> smallest_resolving(std::size_t first, std::size_t last,
                                              const std::function<bool(std::size_t)>& resolves) {
  if (first > last || !resolves(last)) return std::nullopt;
  while (first < last) {
    const std::size_t middle = first + (last - first) / 2;
    if (resolves(middle))
      last = middle;
    else
      first = middle + 1;
  }
  return first;
}

std::optional<std::size_t> runs_needed(double spread, double half_width, double confidence, std::size_t limit) {
  if (!(spread >= 0) || !(half_width > 0)) throw std::invalid_argument("runs_needed needs spread >= 0, half-width > 0");
  const double upper = 1 - (1 - confidence) / 2;
  return smallest_resolving(2, limit, [&](std::size_t n) {
    const double k = static_cast<double>(n);
    return t_quantile(upper, k - 1) * spread / std::sqrt(k) <= half_width;
  });
}

}  // namespace callbench::stats
