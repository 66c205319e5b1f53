#include "stats/satterthwaite.hpp"

#include <cmath>
#include <limits>
#include <stdexcept>

namespace callbench::stats {

double satterthwaite_df(const std::vector<VarianceComponent>& components) {
  double sum = 0, spread = 0;
  for (const auto& c : components) {
    if (!(c.variance >= 0) || !(c.df > 0))
      throw std::invalid_argument("variance components need v >= 0 and df > 0");
    sum += c.variance;
    if (std::isfinite(c.df)) spread += c.variance * c.variance / c.df;
  }
  if (sum == 0) return 0;
  if (spread == 0) return std::numeric_limits<double>::infinity();
  return sum * sum / spread;
}

}  // namespace callbench::stats
