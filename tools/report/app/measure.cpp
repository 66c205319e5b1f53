// The measuring flow: check every input and destination, make (or read) the
// runs, analyse them, write the report.
#include <iostream>

#include "analyse/precision.hpp"
#include "analyse/report_analysis.hpp"
#include "app/cli_checks.hpp"
#include "app/options.hpp"
#include "app/outputs.hpp"
#include "app/version.hpp"
#include "read/output_check.hpp"
#include "read/report_file.hpp"
#include "read/saved_captures.hpp"
#include "run/pair_order.hpp"
#include "run/record_conditions.hpp"
#include "run/session.hpp"
#include "run/wine.hpp"
#include "system/default_command.hpp"
#include "system/files.hpp"
#include "system/host.hpp"
#include "system/interruption.hpp"
#include "system/process.hpp"

namespace callbench {
namespace {

// Each saved output once: one named twice would count one run as two.
void check_each_output_once(const std::vector<std::string>& sources) {
  std::vector<std::pair<std::string, std::optional<FileIdentity>>> seen;
  for (const auto& source : sources) {
    const auto identity = source == "-" ? std::nullopt : existing_file_identity(source);
    for (const auto& [name, known] : seen)
      if (source == "-" ? name == "-" : identity && known && *identity == *known)
        throw Error("--from: " + name + " is given twice" + (name == source ? "" : " (as " + source + ")"));
    seen.emplace_back(source, identity);
  }
}

// Saved outputs, reported as runs of the machine they came from.
void read_saved_outputs(const MeasureOptions& options, Report& report) {
  check_each_output_once(options.from);
  Series series = read_captures(options.from);
  series.name = kRunSeriesNames[0];
  series.conditions.date_utc = report.date_utc;
  series.conditions.tool_version = report.tool_version;
  series.conditions.machine_label = options.machine.value_or("an unnamed machine");
  for (const auto& failure : series.failures)
    std::cerr << "run " << failure.number << ": " << failure.reason << '\n';
  if (!series.failures.empty()) std::cerr << "  " << kCaptureAdvice << '\n';
  report.series.push_back(std::move(series));
}

std::vector<std::string> benchmark_command(const MeasureOptions& options) {
  if (!options.command.empty()) return options.command;
  const auto program = default_program();
  if (!program) throw Error("cannot find where this program is; name the benchmark after --");
  return {*program};
}

// What the report reads or runs, which no output may replace.
std::vector<ProtectedFile> protected_files(const MeasureOptions& options) {
  std::vector<ProtectedFile> kept;
  if (options.baseline) kept.push_back({"the baseline", *options.baseline});
  for (const auto& source : options.from)
    if (source != "-") kept.push_back({"a saved output", source});
  if (!options.from.empty()) return kept;
  for (const auto& command : {benchmark_command(options), options.vs_command}) {
    if (command.empty()) continue;
    if (const auto program = program_file(command.front())) kept.push_back({"the benchmark", *program});
    for (std::size_t i = 1; i < command.size(); ++i) kept.push_back({"a file the command names", command[i]});
  }
  return kept;
}

// The runs themselves, with the conditions they were made under.
void make_runs(const MeasureOptions& options, Report& report) {
  SessionPlan plan;
  plan.commands.push_back(benchmark_command(options));
  if (!options.vs_command.empty()) plan.commands.push_back(options.vs_command);
  for (std::size_t i = 0; i < plan.commands.size(); ++i) plan.output_checks.push_back(OutputChecker());
  plan.settings = options.run;
  plan.limits.timeout_seconds = options.run.timeout_seconds;
  for (const auto& command : plan.commands)
    if (runs_under_wine(command)) plan.limits.spared = wine_own_processes();
  plan.order_seed = *report.analysis_settings.seed;
  if (options.cpu) {
    check_cpu(*options.cpu);
    try {
      pin_to_processor(*options.cpu);
    } catch (const std::exception& e) {
      throw Error("--cpu " + std::to_string(*options.cpu) + ": " + e.what());
    }
  }

  watch_for_interruption();
  Conditions conditions = conditions_before(kToolVersion, options.cpu);
  report.date_utc = conditions.date_utc;
  PrecisionOfRuns precision_of;
  if (options.run.precision)
    precision_of = [&](const std::vector<std::vector<Run>>& runs) {
      return precision_status(runs, *options.run.precision, options.analysis);
    };
  SystemProcessRunner runner;
  auto session = run_session(plan, runner, std::cerr, is_terminal(Stream::Error), precision_of);
  conditions_after(conditions);

  for (std::size_t i = 0; i < session.series.size(); ++i) {
    auto& series = session.series[i];
    series.name = kRunSeriesNames.at(i);
    series.label = report.label;
    series.conditions = conditions;
    series.benchmark = benchmark_file(series.command);
    series.wine_version = wine_version(series.command);
    report.series.push_back(std::move(series));
  }
  if (session.interrupted_by)
    report.interrupted = Interruption{session.interrupted_by, signal_name(session.interrupted_by)};
  report.precision = session.precision;
}

// "2 of 10 runs and 1 warm-up run failed (told above); ..."; empty when none failed.
std::string failure_summary(const Report& report) {
  std::size_t failures = 0, warmup_failures = 0, requested = 0;
  for (const auto& series : report.series) {
    // A warm-up run is numbered 0 among the failures: it is not one of the runs requested.
    for (const auto& failure : series.failures) ++(failure.number == 0 ? warmup_failures : failures);
    requested += static_cast<std::size_t>(series.runs_requested);
  }
  if (failures + warmup_failures == 0) return {};
  std::string text = std::to_string(failures) + " of " + std::to_string(requested) + " runs";
  if (warmup_failures)
    text += " and " + std::to_string(warmup_failures) + " warm-up run" + (warmup_failures == 1 ? "" : "s");
  return text + " failed (told above); the report is made from the others";
}

// Series without a single valid run are told of and left out, so that the
// valid runs of the others are still reported; false when none is left. The
// one left of A --vs B keeps its name and the report its kind: its figures
// must never pass for the other command's (B's runs exported as A's history).
bool keep_valid_series(Report& report) {
  std::size_t requested = 0;
  std::vector<Series> valid;
  for (auto& series : report.series) {
    requested += static_cast<std::size_t>(series.runs_requested);
    if (!series.runs.empty()) {
      valid.push_back(std::move(series));
    } else if (report.series.size() > 1) {
      complain(series.name + ": no valid run of " + std::to_string(series.runs_requested) +
               "; left out of the report");
    }
  }
  report.series = std::move(valid);
  if (report.series.empty()) {
    if (report.interrupted) {
      complain("interrupted by " + report.interrupted->name + " before the runs could be reported");
    } else {
      complain("no valid run out of " + std::to_string(requested) + "; nothing to report");
    }
    return false;
  }
  return true;
}

}  // namespace

int measure(const MeasureOptions& options) {
  const Outputs outputs(options.outputs, protected_files(options));
  std::optional<Report> baseline;
  if (options.baseline) {
    try {
      baseline = load_report(*options.baseline, kMaxBaselineFile);
    } catch (const Error& e) {
      throw Error(std::string("baseline ") + e.what());
    }
  }

  Report report;
  report.label = options.label;
  report.tool_version = kToolVersion;
  report.analysis_settings = options.analysis;
  report.kind = options.vs_command.empty() ? Report::Kind::Single : Report::Kind::Interleaved;
  if (!options.from.empty()) {
    report.date_utc = utc_now();
    read_saved_outputs(options, report);
  } else {
    report.run_settings = options.run;
    report.analysis_settings.seed = options.analysis.seed.value_or(fresh_order_seed());
    make_runs(options, report);
  }

  const int interrupted = report.interrupted ? interrupted_exit_status(report.interrupted->signal) : 0;
  const std::string failures = failure_summary(report);
  const std::size_t series_made = report.series.size();
  if (!keep_valid_series(report)) return interrupted ? interrupted : kExitIncomplete;
  if (baseline) {
    auto base = baseline->series.front();
    base.name = "baseline";
    report.series.front().name = "new";
    report.series.push_back(std::move(base));
    report.kind = Report::Kind::Baseline;
  }
  int status = failures.empty() && report.series.size() >= series_made ? 0 : kExitIncomplete;
  if (!failures.empty()) complain(failures);
  if (const auto failed = analyse_report_or_reason(report)) {
    complain("the analysis failed (" + *failed + "); the runs are written without it");
    status = kExitIncomplete;
  }
  if (outputs.write_report(report) != 0) status = kExitIncomplete;
  if (interrupted) return interrupted;
  // A signal after the last run still ends the report with its status, once the files are whole.
  if (const int late = interruption_signal()) return interrupted_exit_status(late);
  return status;
}

}  // namespace callbench
