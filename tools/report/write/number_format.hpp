#pragma once

#include <optional>
#include <string>

#include "core/analysis.hpp"

namespace callbench {

// A number with the given decimals; "n/a" when it is not finite or absurdly large.
std::string format_number(double value, int decimals);

// "1.01 [0.96, 1.05]", decimals chosen from the interval; without bounds
// (fewer than two runs) the estimate alone with fallback decimals.
std::string format_interval(const Interval& interval, int fallback_decimals);
std::string format_interval(const std::optional<Interval>& interval, int fallback_decimals);

// A ratio as a relative change: 1.042 -> "+4.2%". Bounded width: ">+999%".
std::string format_change(double ratio, int decimals = 1);
// The interval of a ratio as changes: "+4.2% [+1.0%, +7.5%]".
std::string format_change(const std::optional<Interval>& ratio);

// p-values: "0.031", "<0.0001".
std::string format_p_value(double p);
// As said in a sentence: "= 0.031", "< 0.0001".
std::string p_relation(double p);

// The level of every interval in percent, "95", from stats::kConfidence.
std::string confidence_percent();
// A heading of interval columns: "median" -> "median [95% CI]".
std::string interval_heading(const std::string& name);

}  // namespace callbench
