#include "write/table.hpp"

#include "run/interruption.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <vector>

namespace callbench {
namespace {

using Row = std::vector<std::string>;

// First column left-aligned, the rest right-aligned, two spaces between.
void print_columns(std::ostream& out, const std::vector<Row>& rows) {
  std::vector<std::size_t> widths(rows.front().size(), 0);
  for (const auto& row : rows)
    for (std::size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], row[i].size());
  for (const auto& row : rows) {
    std::string line;
    for (std::size_t i = 0; i < row.size(); ++i) {
      const auto pad = std::string(widths[i] - row[i].size(), ' ');
      line += i == 0 ? row[i] + pad : "  " + pad + row[i];
    }
    out << line << '\n';
  }
}

std::string printf_string(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

}  // namespace

std::string format_median(double value) {
  if (value == std::floor(value)) return printf_string("%.0f", value);
  return printf_string("%.1f", value);
}

std::string format_fixed(const std::optional<double>& value, int decimals) {
  if (!value || !std::isfinite(*value) || std::fabs(*value) >= 1e15) return "n/a";
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, *value);
  return text;
}

std::string format_percent(const std::optional<double>& value) {
  if (!value || !std::isfinite(*value)) return "n/a";
  // A tiny reference value makes huge changes; keep the column narrow.
  if (*value > 999) return ">+999%";
  if (*value < -999) return "<-999%";
  return printf_string("%+.1f%%", *value);
}

void print_table(std::ostream& out, const Report& report) {
  const std::string reference(kProcedureNames[kReference]);
  const auto per_procedure = report.rows.front().summary.count;
  if (report.interrupted_by != 0)
    out << "interrupted by " << signal_name(report.interrupted_by) << ": the runs that finished\n";
  out << report.runs.size() << " of " << report.runs_requested << " runs valid, "
      << per_procedure << " figures per procedure, in millicycles per call\n\n";

  std::vector<Row> rows;
  Row heading = {"procedure", "bytes", "figures", "min", "median", "max", "spread",
                 "min/" + reference, "median/" + reference};
  if (report.baseline) {
    heading.push_back("min change");
    heading.push_back("median change");
  }
  rows.push_back(heading);
  for (std::size_t proc = 0; proc < kProcedures; ++proc) {
    const auto& r = report.rows[proc];
    Row row = {std::string(kProcedureNames[proc]),
               std::to_string(r.size),
               std::to_string(r.summary.count),
               std::to_string(r.summary.min),
               format_median(r.summary.median),
               std::to_string(r.summary.max),
               format_fixed(r.summary.spread, 3),
               format_fixed(r.min_vs_reference, 3),
               format_fixed(r.median_vs_reference, 3)};
    if (report.baseline) {
      row.push_back(format_percent(r.min_change_percent));
      row.push_back(format_percent(r.median_change_percent));
    }
    rows.push_back(row);
  }
  print_columns(out, rows);

  out << '\n' << "median wall time of a run: " << format_fixed(report.median_wall_seconds, 3)
      << " s\n";
  out << "machine: " << report.machine.line() << '\n';
  if (report.baseline) out << "baseline: " << report.baseline->file << '\n';

  std::string noisy;
  for (std::size_t proc = 0; proc < kProcedures; ++proc)
    if (report.rows[proc].noisy()) noisy += (noisy.empty() ? "" : ", ") + std::string(kProcedureNames[proc]);
  if (!noisy.empty())
    out << "note: the machine was noisy (spread over " << format_fixed(kNoisySpread, 2) << " for "
        << noisy << "); the minimum is the figure to quote\n";
}

}  // namespace callbench
