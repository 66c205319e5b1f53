#include "write/number_format.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "stats/levels.hpp"

namespace callbench {

std::string format_number(double value, int decimals) {
  if (!std::isfinite(value) || std::fabs(value) >= 1e12) return "n/a";
  char text[48];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  // "-0" and "-0.00" say nothing a zero does not.
  if (std::string(text).find_first_not_of("-0.") == std::string::npos) {
    std::snprintf(text, sizeof text, "%.*f", decimals, 0.0);
  }
  return text;
}

namespace {

// Decimals that show an interval of this half-width without false precision:
// the last digit shown is that of the half-width's first significant one.
int decimals_for(double half_width, int fallback) {
  if (!(half_width > 0) || !std::isfinite(half_width)) return fallback;
  return std::clamp(static_cast<int>(-std::floor(std::log10(half_width))), 0, 4);
}

// Rounding in logs and back leaves an interval of identical values a hair wide.
double visible_half_width(double estimate, double low, double high) {
  const double half = std::max(high - estimate, estimate - low);
  return half <= 1e-9 * std::max(1.0, std::fabs(estimate)) ? 0 : half;
}

}  // namespace

std::string format_interval(const Interval& interval, int fallback_decimals) {
  if (!interval.bounded) return format_number(interval.estimate, fallback_decimals);
  const double half = visible_half_width(interval.estimate, interval.low, interval.high);
  // A wide interval of small positive values (a ratio) still shows two
  // significant digits of its low end: 0.16 is not "0". Up to three decimals.
  const int readable =
      interval.low > 0 ? std::clamp(1 - static_cast<int>(std::floor(std::log10(interval.low))), 0, 3) : 0;
  const int decimals = std::max(decimals_for(half, fallback_decimals), readable);
  return format_number(interval.estimate, decimals) + " [" + format_number(interval.low, decimals) + ", " +
         format_number(interval.high, decimals) + "]";
}

std::string format_interval(const std::optional<Interval>& interval, int fallback_decimals) {
  return interval ? format_interval(*interval, fallback_decimals) : "n/a";
}

std::string format_change(double ratio, int decimals) {
  if (!std::isfinite(ratio)) return "n/a";
  const double percent = (ratio - 1) * 100;
  // A tiny reference value makes huge changes; keep the column narrow.
  if (percent > 999) return ">+999%";
  if (percent < -999) return "<-999%";
  std::string text = format_number(percent, decimals);
  if (text != "n/a" && text.front() != '-') text.insert(0, "+");
  return text + "%";
}

std::string format_change(const std::optional<Interval>& ratio) {
  if (!ratio) return "n/a";
  if (!ratio->bounded) return format_change(ratio->estimate);
  const double half = visible_half_width(ratio->estimate, ratio->low, ratio->high) * 100;
  const int decimals = decimals_for(half, 1);
  return format_change(ratio->estimate, decimals) + " [" + format_change(ratio->low, decimals) + ", " +
         format_change(ratio->high, decimals) + "]";
}

std::string format_p_value(double p) {
  if (!std::isfinite(p)) return "n/a";
  if (p < 0.0001) return "<0.0001";
  return format_number(p, p < 0.001 ? 4 : 3);
}

std::string confidence_percent() {
  char text[16];
  std::snprintf(text, sizeof text, "%g", stats::kConfidence * 100);
  return text;
}

std::string interval_heading(const std::string& name) {
  return name + " [" + confidence_percent() + "% CI]";
}

std::string p_relation(double p) {
  const std::string text = format_p_value(p);
  return text.front() == '<' ? "< " + text.substr(1) : "= " + text;
}

}  // namespace callbench
