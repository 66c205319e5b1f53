#include "stats/student_t.hpp"

#include <boost/math/distributions/normal.hpp>
#include <boost/math/distributions/students_t.hpp>
#include <cmath>
#include <stdexcept>

namespace callbench::stats {

namespace {

void check_df(double df) {
  if (!(df > 0)) throw std::invalid_argument("degrees of freedom must be positive");
}

}  // namespace

double t_quantile(double probability, double df) {
  check_df(df);
  if (!(probability > 0 && probability < 1)) throw std::invalid_argument("probability must lie in (0, 1)");
  if (std::isinf(df)) return boost::math::quantile(boost::math::normal_distribution<double>(), probability);
  return boost::math::quantile(boost::math::students_t_distribution<double>(df), probability);
}

double t_two_sided_p(double t, double df) {
  check_df(df);
  if (std::isnan(t)) throw std::invalid_argument("t statistic is not a number");
  if (std::isinf(t)) return 0;
  // The upper tail through the complement keeps small p-values exact.
  const double tail =
      std::isinf(df)
          ? boost::math::cdf(boost::math::complement(boost::math::normal_distribution<double>(), std::fabs(t)))
          : boost::math::cdf(
                boost::math::complement(boost::math::students_t_distribution<double>(df), std::fabs(t)));
  return std::fmin(1.0, 2 * tail);
}

}  // namespace callbench::stats
