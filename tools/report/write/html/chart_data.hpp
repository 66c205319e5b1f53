#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/report.hpp"
#include "write/html/figure_summary.hpp"

namespace callbench {

// Names in charts are for telling series apart; the tables above them hold
// them whole. Cut to this many characters, a 600 KB command line cannot make
// a page of megabytes.
inline constexpr std::size_t kChartNameLength = 48;

// One series as the charts see it. Its figures stay in the report, read from
// `source`; what is kept here is small and computed once.
struct ChartSeries {
  const Series* source = nullptr;
  std::string name;   // short, valid UTF-8, distinct among the series
  std::string label;  // for the row of an axis: the name, and the processor of a report file
  std::array<FigureSummary, kProcedures> summaries{};
  std::array<ValueRange, kProcedures> ranges{};  // robust_range of each procedure's figures
};

struct ChartData {
  Report::Kind kind = Report::Kind::Single;
  double noise_threshold = AnalysisSettings().noise_threshold;
  std::vector<ChartSeries> series;  // in the report's order
  const Comparison* comparison = nullptr;
  int first_run = 1, last_run = 1;  // over every series
};

// The name a series goes by in the charts, before names are made distinct:
// with its source when there are several, its label when it came from a
// report file; short and valid UTF-8.
std::string chart_series_name(const Report& report, const Series& series);

ChartData collect_chart_data(const Report& report);

// Series in the order their rows are drawn: by the key when many report files
// are compared (so that a fleet reads as a ranking), else as given. Rows with
// no key come last.
std::vector<std::size_t> row_order(const ChartData& data, const std::vector<double>& keys);

}  // namespace callbench
