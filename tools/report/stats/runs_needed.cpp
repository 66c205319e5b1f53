#include "stats/runs_needed.hpp"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "stats/student_t.hpp"

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
  if (!(spread >= 0) || !(half_width >= 0))
    throw std::invalid_argument("runs_needed needs spread >= 0, half-width >= 0");
  if (half_width == 0) return std::nullopt;  // no number of values narrows a t interval to nothing
  const double upper = 1 - (1 - confidence) / 2;
  const auto resolves = [&](std::size_t n) {
    const double k = static_cast<double>(n);
    return t_quantile(upper, k - 1) * spread / std::sqrt(k) <= half_width;
  };
  // t quantiles exceed the normal one, so no n below the normal answer resolves;
  // the answer lies a little above it, found in a few quantiles instead of a search of all.
  const double normal = t_quantile(upper, INFINITY) * spread / half_width;
  const double start = std::max(2.0, std::ceil(normal * normal));
  if (start > static_cast<double>(limit)) return std::nullopt;
  std::size_t first = static_cast<std::size_t>(start);
  for (std::size_t step = 1; first <= limit; step *= 2) {
    const std::size_t last = std::min(limit, first + step);
    if (resolves(last)) return smallest_resolving(first, last, resolves);
    if (last == limit) return std::nullopt;
    first = last + 1;
  }
  return std::nullopt;
}

}  // namespace callbench::stats
