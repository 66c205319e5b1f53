#pragma once

namespace callbench::stats {

// Student's t distribution with df degrees of freedom (df > 0; an infinite df
// is the standard normal).

// The value below which a fraction `probability` (0 < probability < 1) lies.
double t_quantile(double probability, double df);

// The two-sided p-value of a t statistic: P(|T| >= |t|).
double t_two_sided_p(double t, double df);

}  // namespace callbench::stats
