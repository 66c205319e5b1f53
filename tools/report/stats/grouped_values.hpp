#pragma once

#include <cstddef>
#include <optional>
#include <vector>

namespace callbench::stats {

// Values measured in groups that share a level (the sweeps of one run), each at
// a position of its group (the sweep's place in the run; none where nothing
// usable was measured). Values are logs, or differences, of measurements.
using Groups = std::vector<std::vector<std::optional<double>>>;

// The groups reduced to one value each, with what they tell of the precision of such a value.
struct GroupedValues {
  std::vector<std::optional<double>> values;  // per group: the median; none when empty or left out
  std::size_t left_out = 0;                   // groups of two values that disagree grossly
  // The variance of one value about its group's level, robust, from the
  // differences within groups.
  double within_variance = 0;
  // The least sample variance of the groups' values that is no coincidence:
  // were the groups to share one level, their values would still vary at
  // least as their means do, within_variance / m, and K such values show a
  // sample variance below the lower end of its 95% range (chi-squared, K - 1
  // degrees of freedom) only by chance. Runs that scatter less than this do
  // not show a precision, they hide one. 0 below two values.
  double least_variance = 0;
};

// Two values of a group further apart than both this many standard deviations
// of a difference within groups and a factor 1.2 cannot both be undisturbed:
// a disturbance moves a measurement by tens of percent (the reference loop
// ran long, an interrupt), while undisturbed ones of one group agree within a
// few percent on a quiet machine and within the groups' usual scatter on a
// noisy one. With two there is no telling which was disturbed, so such a group
// gives no value; with three, the median sets the disturbed one aside.
inline constexpr double kGrossDeviations = 4;
inline constexpr double kGrossLeastLog = 0.1823215567939546;  // log 1.2

// judge_pairs: leave out groups of two that disagree grossly (values on a log scale).
GroupedValues summarise_groups(const Groups& groups, bool judge_pairs = true);

// The variance of one value about its group's level, for normal values:
// (1.4826 x median |d|)^2 / 2 over the differences d between two positions of
// a group, each taken from the median difference of those two positions over
// the groups (scaled by sqrt(n / (n - 1)) for that centring), so that a
// position that always measures differently (the first sweep, say) is not
// taken for scatter; not moved by a disturbed value among many; 0 without two
// groups sharing two positions.
double within_group_variance(const Groups& groups);

}  // namespace callbench::stats
