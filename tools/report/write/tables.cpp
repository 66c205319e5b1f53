#include "write/tables.hpp"

#include <algorithm>

#include "core/text.hpp"
#include "write/number_format.hpp"
#include "write/series_labels.hpp"

namespace callbench {
namespace {

const std::string kMedianHeading = interval_heading("median");
const std::string kRatioHeading = interval_heading("/" + std::string(kReferenceName));

std::string name_of(std::size_t proc) {
  return std::string(kProcedureNames[proc]);
}

std::string figure_text(const std::optional<std::int32_t>& figure) {
  return figure ? std::to_string(*figure) : "n/a";
}

std::string p_text(const Decision& decision) {
  if (decision.p_adjusted) return format_p_value(*decision.p_adjusted);
  return decision.p_value ? format_p_value(*decision.p_value) : "n/a";
}

const SeriesAnalysis& analysis_of(const Series& series) {
  static const SeriesAnalysis none;
  return series.analysis ? *series.analysis : none;
}

bool has_core_cycles(const SeriesAnalysis& analysis) {
  for (const auto& figures : analysis.procedures)
    if (figures.core_cycles_per_call) return true;
  return false;
}

std::string ratio_text(const Series& series, std::size_t proc) {
  if (proc == kReference) return "1";
  const auto& ratio = analysis_of(series).paired[proc].decision.ratio;
  return ratio.estimate > 0 ? format_interval(ratio, 3) : "n/a";
}

// A decision's verdict, and for an inconclusive one what the data resolve:
// "inconclusive (resolves +/-3.2%; about 40 runs for +/-1.0%)". made: the
// fewest runs (or pairs) made, which without an interval may yet be enough.
// `word` names the verdict (ratio_verdict_word for a change of a ratio).
std::string verdict_text(const Decision& decision, double noise_threshold, const char* unit, std::size_t made,
                         const char* (*word)(Verdict) = verdict_word) {
  std::string text = word(decision.verdict);
  if (decision.verdict != Verdict::Inconclusive) return text;
  if (!decision.ratio.bounded)
    return text + " (needs at least 2 " + unit + (made < 2 ? "" : " with undisturbed figures") + ")";
  if (!(decision.ratio.high > decision.ratio.low))
    return text + " (the " + unit + " agree exactly, and their sweeps too: no scatter to judge by)";
  text += " (resolves +/-" + percent_text(decision.resolvable.value_or(decision.ratio.relative_half_width()));
  if (decision.runs_needed)
    text += "; about " + std::to_string(*decision.runs_needed) + " " + unit + " for +/-" +
            percent_text(noise_threshold);
  else if (noise_threshold == 0)
    text += std::string("; no number of ") + unit + " resolves a noise threshold of 0";
  return text + ")";
}

// The last cells of a row of changes: the change, its p and its verdict.
std::vector<std::string> change_cells(const Decision& d, double noise_threshold, const char* unit,
                                      std::size_t made, const char* (*word)(Verdict) = verdict_word) {
  return {d.ratio.estimate > 0 ? format_change(d.ratio) : "n/a", p_text(d),
          verdict_text(d, noise_threshold, unit, made, word)};
}

}  // namespace

TextTable figures_table(const Series& series, bool compact) {
  const auto& analysis = analysis_of(series);
  TextTable table;
  table.header = {"procedure", "bytes", kMedianHeading, "spread", "min", "max", "disturbed", "low outliers"};
  const bool core = !compact && has_core_cycles(analysis);
  if (compact) {
    table.header = {"procedure", "bytes", kMedianHeading, "spread", "min", kRatioHeading, kVerdictHeading};
  } else if (core) {
    table.header.push_back("~core cycles/call (est.)");
  }
  for (std::size_t proc = 0; proc < kProcedures; ++proc) {
    const auto& f = analysis.procedures[proc];
    std::vector<std::string> row = {name_of(proc), series.sizes ? std::to_string((*series.sizes)[proc]) : "n/a",
                                    format_interval(f.median, 0), f.spread ? percent_text(*f.spread) : "n/a",
                                    figure_text(f.min)};
    if (compact) {
      row.push_back(ratio_text(series, proc));
      row.push_back(proc == kReference ? "" : verdict_word(analysis.paired[proc].decision.verdict));
    } else {
      row.push_back(figure_text(f.max));
      row.push_back(std::to_string(f.disturbed));
      row.push_back(std::to_string(f.low_outliers));
      if (core) row.push_back(f.core_cycles_per_call ? format_number(*f.core_cycles_per_call, 2) : "n/a");
    }
    table.rows.push_back(std::move(row));
  }
  return table;
}

TextTable paired_table(const SeriesAnalysis& analysis, double noise_threshold) {
  // Every run gives each procedure a figure per sweep, valid or disturbed.
  const std::size_t runs =
      (analysis.procedures[kReference].valid + analysis.procedures[kReference].disturbed) / kSweeps;
  TextTable table;
  table.header = {
      "procedure",    interval_heading("ratio"), interval_heading("difference"), "higher in", "p (Holm)",
      kVerdictHeading};
  for (std::size_t proc = 0; proc < kProcedures; ++proc) {
    if (proc == kReference) continue;
    const auto& paired = analysis.paired[proc];
    const auto& d = paired.decision;
    table.rows.push_back({name_of(proc), d.ratio.estimate > 0 ? format_interval(d.ratio, 3) : "n/a",
                          format_interval(paired.difference, 0),
                          std::to_string(paired.higher) + " of " + std::to_string(paired.sweeps) + " sweeps",
                          p_text(d), verdict_text(d, noise_threshold, "runs", runs)});
  }
  return table;
}

TextTable change_table(const Report& report) {
  const auto& comparison = *report.comparison;
  const auto& a = report.series.at(comparison.a);
  const auto& b = report.series.at(comparison.b);
  const bool paired = comparison.method == Comparison::Method::Paired;
  const char* unit = paired ? "pairs" : "runs each";
  const std::size_t made = paired ? comparison.pairs : std::min(a.runs.size(), b.runs.size());
  TextTable table;
  table.header = {"procedure",        a.name + " median",
                  b.name + " median", interval_heading(a.name + " vs " + b.name),
                  "p (Holm)",         kVerdictHeading};
  for (std::size_t proc = 0; proc < kProcedures; ++proc) {
    const auto& d = comparison.procedures[proc];
    const auto& ma = analysis_of(a).procedures[proc].median;
    const auto& mb = analysis_of(b).procedures[proc].median;
    std::vector<std::string> row = {name_of(proc), format_interval(ma, 0), format_interval(mb, 0)};
    for (auto& cell : change_cells(d, report.analysis_settings.noise_threshold, unit, made))
      row.push_back(std::move(cell));
    table.rows.push_back(std::move(row));
  }
  return table;
}

TextTable ratio_change_table(const Report& report) {
  const auto& comparison = *report.comparison;
  const auto& a = report.series.at(comparison.a);
  const auto& b = report.series.at(comparison.b);
  TextTable table;
  table.header = {"procedure",
                  a.name + " " + kRatioHeading,
                  b.name + " " + kRatioHeading,
                  interval_heading(a.name + " vs " + b.name),
                  "p (Holm)",
                  kVerdictHeading};
  for (std::size_t proc = 0; proc < kProcedures; ++proc) {
    if (proc == kReference) continue;
    const auto& d = (*comparison.ratios)[proc];
    std::vector<std::string> row = {name_of(proc), ratio_text(a, proc), ratio_text(b, proc)};
    // The words of a change of ratio, not of cost.
    for (auto& cell : change_cells(d, report.analysis_settings.noise_threshold, "pairs", comparison.pairs,
                                   ratio_verdict_word))
      row.push_back(std::move(cell));
    table.rows.push_back(std::move(row));
  }
  return table;
}

namespace {

std::vector<std::string> machine_cells(const PooledMachine& machine) {
  return {machine.label, std::to_string(machine.series.size()), std::to_string(machine.runs)};
}

}  // namespace

TextTable pooled_medians_table(const Report& report) {
  TextTable table;
  table.header = {"machine", "reports", "runs"};
  for (std::size_t proc = 0; proc < kProcedures; ++proc) table.header.push_back(name_of(proc));
  for (const auto& machine : report.pooled) {
    auto row = machine_cells(machine);
    for (const auto& median : machine.medians) row.push_back(median ? format_interval(*median, 0) : "n/a");
    table.rows.push_back(std::move(row));
  }
  return table;
}

TextTable pooled_ratios_table(const Report& report) {
  TextTable table;
  table.header = {"machine", "reports", "runs"};
  for (std::size_t proc = 0; proc < kProcedures; ++proc)
    if (proc != kReference) table.header.push_back(name_of(proc));
  table.header.push_back("moved between reports");
  for (const auto& machine : report.pooled) {
    auto row = machine_cells(machine);
    std::optional<double> moved;
    for (std::size_t proc = 0; proc < kProcedures; ++proc) {
      if (proc == kReference) continue;
      const auto& d = machine.ratios[proc];
      row.push_back((d.ratio.estimate > 0 ? format_interval(d.ratio, 3) : "n/a") + " " +
                    verdict_word(d.verdict));
      if (const auto& tau = machine.between_reports[proc]) moved = std::max(moved.value_or(0), *tau);
    }
    row.push_back(moved ? "up to " + percent_text(*moved) : "n/a");
    table.rows.push_back(std::move(row));
  }
  return table;
}

TextTable medians_table(const Report& report) {
  TextTable table;
  table.header = {"series"};
  for (std::size_t proc = 0; proc < kProcedures; ++proc) table.header.push_back(name_of(proc));
  for (const auto& series : report.series) {
    std::vector<std::string> row = {series.name};
    for (std::size_t proc = 0; proc < kProcedures; ++proc) {
      const auto& median = analysis_of(series).procedures[proc].median;
      row.push_back(format_interval(median, 0));
    }
    table.rows.push_back(std::move(row));
  }
  return table;
}

TextTable ratios_table(const Report& report) {
  TextTable table;
  table.header = {"series"};
  for (std::size_t proc = 0; proc < kProcedures; ++proc)
    if (proc != kReference) table.header.push_back(name_of(proc));
  for (const auto& series : report.series) {
    std::vector<std::string> row = {series.name};
    for (std::size_t proc = 0; proc < kProcedures; ++proc) {
      if (proc == kReference) continue;
      row.push_back(ratio_text(series, proc) + " " +
                    verdict_word(analysis_of(series).paired[proc].decision.verdict));
    }
    table.rows.push_back(std::move(row));
  }
  return table;
}

}  // namespace callbench
