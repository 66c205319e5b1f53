#include "write/html/charts.hpp"

#include <cmath>

#include "core/text.hpp"
#include "write/html/chart_data.hpp"
#include "write/html/interval_chart.hpp"
#include "write/html/vega_lite.hpp"
#include "write/number_format.hpp"

namespace callbench {

using nlohmann::json;

namespace {

IntervalRow ratio_row(const Series& series, std::size_t procedure, std::string label) {
  IntervalRow row{std::move(label), std::nullopt, "n/a", Verdict::Inconclusive};
  if (!series.analysis) return row;
  const Decision& decision = series.analysis->paired[procedure].decision;
  row.verdict = decision.verdict;
  if (decision.ratio.estimate > 0) {
    row.ratio = decision.ratio;
    row.text = format_interval(decision.ratio, 3) + "  " + verdict_word(decision.verdict);
  }
  return row;
}

double estimate_of(const Series& series, std::size_t procedure) {
  if (!series.analysis) return NAN;
  const double estimate = series.analysis->paired[procedure].decision.ratio.estimate;
  return estimate > 0 ? estimate : NAN;
}

}  // namespace

Chart ratio_chart(const ChartData& data) {
  const std::string reference(kReferenceName);
  const std::string axis_title = "ratio to " + reference + " (log scale)";
  json panels = json::array();
  if (data.series.size() == 1) {
    // One series: the procedures are the rows, on one axis.
    IntervalPanel panel;
    for (std::size_t p = 0; p < kProcedures; ++p)
      if (p != kReference)
        panel.rows.push_back(ratio_row(*data.series[0].source, p, std::string(kProcedureNames[p])));
    panels.push_back(
        interval_panel(panel, "ratio", 0, data.noise_threshold, kChartWidth - kNumbersWidth - 120, axis_title));
  } else {
    // Several: a panel per procedure, a row per series.
    std::size_t index = 0;
    for (std::size_t p = 0; p < kProcedures; ++p) {
      if (p == kReference) continue;
      std::vector<double> keys;
      for (const ChartSeries& series : data.series) keys.push_back(estimate_of(*series.source, p));
      IntervalPanel panel{std::string(kProcedureNames[p]), {}};
      for (std::size_t s : row_order(data, keys))
        panel.rows.push_back(ratio_row(*data.series[s].source, p, data.series[s].label));
      panels.push_back(interval_panel(panel, "ratio", index++, data.noise_threshold,
                                      kChartWidth - kNumbersWidth - 240, axis_title));
    }
  }
  json declaration = {{"vconcat", panels}, {"spacing", 24}, {"config", chart_config()}};
  if (data.series.size() == 1) declaration["title"] = {{"text", data.series[0].name}, {"offset", 10}};
  std::string caption =
      "The tick is the median ratio of a procedure's figure to " + reference +
      "'s in the same sweep, the bar its " + confidence_percent() +
      " % interval, coloured by the verdict (red slower, green faster, grey neither), with the numbers "
      "beside it. The axis is logarithmic, so 2 and 0.5 lie equally far from 1. The grey band is the noise "
      "threshold (±" +
      percent_text(data.noise_threshold) +
      ") around 1: within it no difference is claimed. Where ratios lie too far apart for one scale to "
      "show every interval, the axis is broken into framed parts, each with its own scale.";
  if (data.kind == Report::Kind::Files && data.series.size() > 2)
    caption += " Series are sorted by their ratio in each panel.";
  return {"ratios", "Each procedure against " + reference, caption, declaration};
}

}  // namespace callbench
