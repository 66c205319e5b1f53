#include "write/report_notes.hpp"

#include <optional>
#include <utility>

#include "core/processor_identity.hpp"
#include "core/same_runs.hpp"
#include "core/text.hpp"
#include "write/number_format.hpp"
#include "write/series_labels.hpp"

namespace callbench {
namespace {

std::string names_of(const std::vector<std::size_t>& procs) {
  std::string text;
  for (const auto proc : procs) text += (text.empty() ? "" : ", ") + std::string(kProcedureNames[proc]);
  return text;
}

std::string plural(std::size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// Notes every series earns on its own.
void series_notes(const std::string& prefix, const SeriesAnalysis& analysis, std::vector<std::string>& notes) {
  std::vector<std::size_t> noisy;
  std::vector<std::size_t> left_out_of;
  std::size_t disturbed = 0, low = 0, high = 0, left_out = 0;
  for (std::size_t proc = 0; proc < kProcedures; ++proc) {
    if (analysis.procedures[proc].noisy) noisy.push_back(proc);
    disturbed += analysis.procedures[proc].disturbed;
    low += analysis.procedures[proc].low_outliers;
    high += analysis.procedures[proc].high_outliers;
    const std::size_t runs = analysis.procedures[proc].runs_left_out + analysis.paired[proc].runs_left_out;
    if (runs > 0) left_out_of.push_back(proc);
    left_out += runs;
  }
  if (!noisy.empty())
    notes.push_back("note: " + prefix + "the machine was noisy (spread over " + percent_text(kNoisySpread) +
                    " for " + names_of(noisy) + "); quote medians with their intervals, and run more");
  if (disturbed > 0)
    notes.push_back("note: " + prefix + plural(disturbed, "figure", "figures") +
                    " of 0 or less (the reference loop was disturbed) left out of every statistic");
  if (low > 0)
    notes.push_back(
        "note: " + prefix + plural(low, "figure lies", "figures lie") +
        " far below the median (suspected disturbances), left out of the medians and ratios; minima keep them");
  if (high > 0)
    notes.push_back("note: " + prefix + plural(high, "figure lies", "figures lie") +
                    " far above the median (suspected interrupts), left out of the medians and ratios");
  if (left_out > 0)
    notes.push_back("note: " + prefix + plural(left_out, "run value", "run values") + " of " +
                    names_of(left_out_of) +
                    " left out: the run had two usable sweeps, too far apart for both to be undisturbed");
  if (analysis.clock && !analysis.clock->stable)
    notes.push_back("note: " + prefix +
                    "the core clock changed between the calibrations before and after the runs "
                    "(by more than " +
                    percent_text(kCalibrationAgreement) +
                    "): no core-cycle estimate; pin the runs (--cpu) and see `callbench-report system`");
}

// When two series ran on different processors: their brands differ, else
// their identities, where both series record them. A label they share hides
// that, so it is said too.
std::optional<std::string> processor_warning(const Series& a, const Series& b) {
  const auto& pa = a.conditions.processor;
  const auto& pb = b.conditions.processor;
  if (!pa || !pb) return std::nullopt;
  std::string first, second;
  if (pa->brand != pb->brand && !pa->brand.empty() && !pb->brand.empty()) {
    first = pa->brand;
    second = pb->brand;
  } else if (pa->identity && pb->identity && different_processors(*pa->identity, *pb->identity)) {
    first = identity_text(*pa->identity);
    second = identity_text(*pb->identity);
  } else {
    return std::nullopt;
  }
  std::string warning =
      "warning: the processors differ: " + first + " (" + a.name + ") and " + second + " (" + b.name + ")";
  if (plain_series_label(a) == plain_series_label(b))
    warning += "; both go by \"" + plain_series_label(a) + "\", which does not tell them apart";
  return warning;
}

// Series of one label from different processors, beyond the pairs with the
// first series, which mismatch_warnings tells.
void same_label_warnings(const Report& report, std::vector<std::string>& warnings) {
  for (std::size_t i = 1; i < report.series.size(); ++i)
    for (std::size_t j = i + 1; j < report.series.size(); ++j)
      if (plain_series_label(report.series[i]) == plain_series_label(report.series[j]))
        if (auto warning = processor_warning(report.series[i], report.series[j]))
          warnings.push_back(std::move(*warning));
}

// What the machine checks of two series say differently. The load always
// differs a little, so only a change of its verdict counts.
void check_differences(const Series& a, const Series& b, std::vector<std::string>& warnings) {
  for (const auto& check : a.conditions.checks) {
    for (const auto& other : b.conditions.checks) {
      if (other.key != check.key) continue;
      const bool differ = other.status != check.status || (check.key != "load" && other.value != check.value);
      if (differ)
        warnings.push_back("warning: the machines differ in " + check.title + ": " + check.value + " (" +
                           a.name + ") and " + other.value + " (" + b.name + ")");
    }
  }
}

// Warnings when two series cannot be compared like for like: other processor
// or benchmark.
std::vector<std::string> mismatch_warnings(const Series& a, const Series& b) {
  std::vector<std::string> warnings;
  check_differences(a, b, warnings);
  if (auto warning = processor_warning(a, b)) warnings.push_back(std::move(*warning));
  const auto hash = [](const Series& s) {
    return s.benchmark && s.benchmark->sha256 ? *s.benchmark->sha256 : std::string();
  };
  const bool differ =
      !hash(a).empty() && !hash(b).empty() ? hash(a) != hash(b) : source_text(a) != source_text(b);
  if (differ)
    warnings.push_back("warning: the benchmarks differ: " + source_text(a) + " (" + a.name + ") and " +
                       source_text(b) + " (" + b.name + ")");
  return warnings;
}

// Series that hold one report's runs, read more than once: each such report told once.
void same_runs_notes(const Report& report, std::vector<std::string>& notes) {
  std::vector<bool> told(report.series.size());
  for (std::size_t i = 0; i < report.series.size(); ++i) {
    std::vector<std::string> names = {report.series[i].name};
    for (std::size_t j = i + 1; j < report.series.size(); ++j)
      if (!told[j] && same_runs(report.series[i], report.series[j])) {
        told[j] = true;
        names.push_back(report.series[j].name);
      }
    if (names.size() == 1) continue;
    std::string text = names[0];
    for (std::size_t n = 1; n < names.size(); ++n) text += (n + 1 == names.size() ? " and " : ", ") + names[n];
    notes.push_back("note: " + text + " are one report's runs, read " +
                    (names.size() == 2 ? "twice" : std::to_string(names.size()) + " times") +
                    (report.series.size() == 2 ? ": not compared" : ""));
  }
}

}  // namespace

std::vector<std::string> report_notes(const Report& report) {
  std::vector<std::string> notes;
  for (const auto& series : report.series)
    if (series.analysis) series_notes(series_prefix(report, series), *series.analysis, notes);
  // Series measured by this report share one machine: its checks are told once.
  bool measured_told = false;
  for (const auto& series : report.series) {
    if (!series.file && std::exchange(measured_told, true)) continue;
    const std::string prefix = series.file ? series.name + ": " : "";
    for (const auto& check : series.conditions.checks)
      if (check.status == MachineCheck::Status::NotFit)
        notes.push_back("warning: " + prefix + "not fit to measure: " + check.title + " " + check.value +
                        (check.advice.empty() ? "" : "; " + check.advice));
  }
  if (report.kind == Report::Kind::Baseline || report.kind == Report::Kind::Files) {
    for (std::size_t i = 1; i < report.series.size(); ++i)
      for (auto& w : mismatch_warnings(report.series[0], report.series[i])) notes.push_back(std::move(w));
    same_label_warnings(report, notes);
  }
  same_runs_notes(report, notes);
  if (report.comparison && report.comparison->position &&
      (report.comparison->position->verdict == Verdict::Slower ||
       report.comparison->position->verdict == Verdict::Faster))
    notes.push_back(
        "note: a pair's second run cost " + format_change(report.comparison->position->overall) +
        " against its first: a carry-over from the run before (caches, clocks, files); each side went "
        "first in half the pairs and the changes are estimated at either order, so it does not bias "
        "them, but a comparison that always runs one side first would be off by it");
  if (report.comparison && report.comparison->ratios) {
    const auto& reference = report.comparison->procedures[kReference];
    if (reference.verdict == Verdict::Slower || reference.verdict == Verdict::Faster)
      notes.push_back("note: " + std::string(kReferenceName) + " itself is " + verdict_word(reference.verdict) +
                      " in " + report.series[report.comparison->a].name +
                      ": the rows of ratios to it then tell each procedure against a moving reference, not its "
                      "own change; read the change of each procedure's cost above");
  }
  if (report.comparison && report.comparison->method == Comparison::Method::AcrossTime)
    notes.push_back("note: " + report.series[report.comparison->a].name + " and " +
                    report.series[report.comparison->b].name +
                    " were measured at different times: a change is claimed only beyond what the machine's "
                    "drift, as measured "
                    "within each, could explain; reports further apart may have drifted more. To compare two "
                    "benchmarks, run "
                    "them interleaved: callbench-report -- A --vs B");
  return notes;
}

}  // namespace callbench
