#pragma once

#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/analysis.hpp"

namespace callbench {

// One row of an interval chart: a ratio with its interval (none when unknown),
// the numbers as the tables give them, and the verdict that colours it.
struct IntervalRow {
  std::string label;
  std::optional<Interval> ratio;
  std::string text;  // "1.085 [1.078, 1.091] slower"
  Verdict verdict = Verdict::Inconclusive;
};

// Rows that share one ratio axis, under a title (empty for none).
struct IntervalPanel {
  std::string title;
  std::vector<IntervalRow> rows;
};

// Width of the numbers beside the axis.
inline constexpr int kNumbersWidth = 210;

// A panel as a Vega-Lite view: the rows on a log ratio axis (broken into
// parts where one scale cannot show every interval; see broken_axis), the noise
// band about 1, and beside it each row's numbers. Marks are named
// `<name>_band`, `_one`, `_interval` (only intervals of non-zero width),
// `_estimate` and `_numbers`, numbered by panel and part.
nlohmann::json interval_panel(const IntervalPanel& panel, const std::string& name, std::size_t index,
                              double noise_threshold, int width, const std::string& axis_title);

}  // namespace callbench
