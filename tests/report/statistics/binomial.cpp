#include "binomial.hpp"

#include <boost/math/distributions/beta.hpp>

namespace callbench::statcheck {

Rate binomial_rate(std::size_t hits, std::size_t trials, double confidence) {
  if (trials == 0) return {};
  const double x = static_cast<double>(hits), n = static_cast<double>(trials);
  const double tail = (1 - confidence) / 2;
  Rate r;
  r.rate = x / n;
  r.low = hits == 0 ? 0 : boost::math::quantile(boost::math::beta_distribution<double>(x, n - x + 1), tail);
  r.high = hits == trials
               ? 1
               : boost::math::quantile(boost::math::beta_distribution<double>(x + 1, n - x), 1 - tail);
  return r;
}

}  // namespace callbench::statcheck
