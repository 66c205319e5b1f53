// The measuring flow: check every input and destination, make (or read) the
// runs, analyse them, write the report.
#include <iostream>
#include <stdexcept>
#include <variant>

#include "analyse/report_analysis.hpp"
#include "app/options.hpp"
#include "app/outputs.hpp"
#include "app/version.hpp"
#include "read/captures.hpp"
#include "read/report_file.hpp"
#include "run/conditions.hpp"
#include "run/interruption.hpp"
#include "run/session.hpp"
#include "run/wine.hpp"
#include "system/default_command.hpp"
#include "system/host.hpp"
#include "write/html_report.hpp"
#include "write/json.hpp"
#include "write/layout.hpp"

namespace callbench {
namespace {

// Saved outputs, checked as if the runs had just been made. Every file is read
// before any is judged, so a bad path stops everything before anything is told.
Series read_captures(const std::vector<std::string>& sources) {
  std::vector<Capture> captures;
  for (const auto& source : sources) {
    if (source == "-") {
      const auto outputs = split_outputs(read_standard_input());
      for (std::size_t i = 0; i < outputs.size(); ++i)
        captures.push_back({"standard input, output " + std::to_string(i + 1), outputs[i]});
    } else {
      captures.push_back({source, read_regular_file(source, kMaxCaptureFile)});
    }
  }

  Series series;
  series.captures = sources;
  std::optional<SizeReference> sizes;
  bool advised = false;
  int number = 0;
  for (const auto& capture : captures) {
    ++number;
    std::variant<RunOutput, std::string> checked;
    try {
      checked = check_output(decode_capture(capture.bytes), sizes);
    } catch (const CaptureError& e) {
      checked = std::string(e.what());
    }
    if (auto* output = std::get_if<RunOutput>(&checked)) {
      if (!sizes) {
        sizes = SizeReference{output->sizes, number};
        series.sizes = output->sizes;
      }
      series.runs.push_back({number, std::nullopt, output->figures});
      continue;
    }
    const std::string reason = capture.source + ": " + std::get<std::string>(checked);
    std::cerr << "run " << number << ": " << reason << '\n';
    if (!advised) std::cerr << "  " << kCaptureAdvice << '\n';
    advised = true;
    series.failures.push_back({number, reason});
  }
  series.runs_requested = number;
  return series;
}

}  // namespace

int measure(const MeasureOptions& options) {
  PreparedOutputs outputs;
  std::optional<LoadedReport> baseline;
  try {
    outputs = prepare_outputs(options.outputs);
  } catch (const std::exception& e) {
    complain(e.what());
    return kExitBadInput;
  }
  try {
    if (options.baseline) baseline = load_report(*options.baseline);
  } catch (const std::exception& e) {
    complain(std::string("baseline ") + e.what());
    return kExitBadInput;
  }

  Report report;
  report.label = options.label;
  report.analysis_settings = options.analysis;
  auto& settings = report.run_settings;
  settings.timeout_seconds = options.timeout_seconds;
  settings.warmup = options.warmup;
  settings.precision = options.precision;
  settings.max_runs = options.max_runs;
  settings.cpu = options.cpu;
  settings.interleaved = !options.vs_command.empty();

  if (!options.from.empty()) {
    try {
      report.series.push_back(read_captures(options.from));
    } catch (const std::exception& e) {
      complain(e.what());
      return kExitBadInput;
    }
    report.series.front().name = "A";
    report.conditions.date_utc = utc_now();
    report.conditions.tool_version = kToolVersion;
    report.conditions.machine_label = options.machine.value_or("an unnamed machine");
    settings.warmup = 0;
  } else {
    SessionPlan plan;
    plan.commands.push_back(options.command);
    if (plan.commands.front().empty()) {
      const auto program = default_program();
      if (!program) {
        complain("cannot find where this program is; name the benchmark after --");
        return kExitBadInput;
      }
      plan.commands.front().push_back(*program);
    }
    if (settings.interleaved) plan.commands.push_back(options.vs_command);
    if (options.cpu) {
      try {
        pin_to_processor(*options.cpu);
      } catch (const std::exception& e) {
        complain("--cpu " + std::to_string(*options.cpu) + ": " + e.what());
        return kExitBadInput;
      }
    }
    plan.runs = options.runs;
    plan.warmup = options.warmup;
    plan.precision = options.precision;
    plan.max_runs = options.max_runs;
    plan.limits.timeout_seconds = options.timeout_seconds;

    watch_for_interruption();
    report.conditions = conditions_before(kToolVersion, options.cpu);
    const AnalysisSettings probe_settings = options.analysis;
    const auto probe = [&](const std::vector<Run>& runs) {
      return widest_paired_interval(analyse_series(figures_of(runs), {}, probe_settings, std::nullopt));
    };
    auto session = run_session(plan, std::cerr, is_terminal(Stream::Error), probe);
    conditions_after(report.conditions);
    for (std::size_t i = 0; i < session.series.size(); ++i) {
      auto& series = session.series[i];
      series.name = settings.interleaved ? std::string(1, static_cast<char>('A' + i)) : "A";
      series.benchmark = benchmark_file(series.command);
      series.wine_version = wine_version(series.command);
      report.series.push_back(std::move(series));
    }
    report.interrupted_by = session.interrupted_by;
    report.precision = session.precision;
  }

  const int interrupted = report.interrupted_by ? interrupted_exit_status(report.interrupted_by) : 0;
  std::size_t failures = 0, warmup_failures = 0, requested = 0;
  bool every_series_valid = true;
  for (const auto& series : report.series) {
    // A warm-up run is numbered 0 among the failures: it is not one of the runs requested.
    for (const auto& failure : series.failures) ++(failure.number == 0 ? warmup_failures : failures);
    requested += static_cast<std::size_t>(series.runs_requested);
    every_series_valid &= !series.runs.empty();
  }
  if (!every_series_valid) {
    if (interrupted) {
      complain(std::string("interrupted by ") + signal_name(report.interrupted_by) +
               " before the runs could be reported");
      return interrupted;
    }
    complain("no valid run out of " + std::to_string(requested) +
             (report.series.size() > 1 ? " (one of the commands had none)" : "") + "; nothing to report");
    return kExitIncomplete;
  }
  if (baseline) {
    report.baseline = BaselineSource{baseline->file, baseline->format_version,
                                     baseline->report.label, baseline->report.conditions};
    auto base = baseline->report.series.front();
    base.name = "baseline";
    report.series.front().name = "new";
    report.series.push_back(std::move(base));
  }
  analyse_report(report);

  int status = 0;
  if (failures + warmup_failures > 0) {
    complain(std::to_string(failures) + " of " + std::to_string(requested) + " runs" +
             (warmup_failures ? " and " + std::to_string(warmup_failures) + " warm-up run" +
                                       (warmup_failures == 1 ? "" : "s")
                                 : "") +
             " failed (told above); the report is made from the others");
    status = kExitIncomplete;
  }
  const auto document = layout_report(report);
  Deliverables what;
  what.document = &document;
  what.json = [&] { return json_text(report); };
  what.html = [&] { return html_report(report, document); };
  if (!deliver(outputs, what)) status = kExitIncomplete;
  return interrupted ? interrupted : status;
}

}  // namespace callbench
