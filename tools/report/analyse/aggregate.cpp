#include "analyse/aggregate.hpp"

namespace callbench {

void aggregate(Report& report) {
  std::array<Summary, kProcedures> summaries;
  for (std::size_t proc = 0; proc < kProcedures; ++proc) {
    std::vector<std::int32_t> figures;
    for (const auto& run : report.runs)
      for (const auto& sweep : run.figures) figures.push_back(sweep[proc]);
    summaries[proc] = summarise(figures);
  }

  const auto& reference = summaries[kReference];
  for (std::size_t proc = 0; proc < kProcedures; ++proc) {
    auto& row = report.rows[proc];
    const auto& s = summaries[proc];
    row.size = report.sizes[proc];
    row.summary = s;
    row.min_vs_reference = ratio(s.min, reference.min);
    row.median_vs_reference = ratio(s.median, reference.median);
    if (report.baseline) {
      row.min_change_percent = percent_change(s.min, report.baseline->min[proc]);
      row.median_change_percent = percent_change(s.median, report.baseline->median[proc]);
    }
  }

  std::vector<double> walls;
  for (const auto& run : report.runs) walls.push_back(run.wall_seconds);
  report.median_wall_seconds = median(walls);
}

}  // namespace callbench
