// callbench-report: runs the benchmark many times and reports what it measured,
// with the uncertainty of every figure; or compares reports written earlier.
// This file only wires the command line to the flows in app/.
#include <deque>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "app/cli_checks.hpp"
#include "app/options.hpp"
#include "app/outputs.hpp"
#include "app/start.hpp"
#include "app/version.hpp"
#include "write/exporter.hpp"
#include "write/number_format.hpp"

namespace {

using namespace callbench;

// One option per output format, from the exporters' table; values are kept
// in the order of the table.
class OutputOptions {
 public:
  void add_to(CLI::App& app) {
    for (const auto& format : output_formats()) {
      paths_.emplace_back(format.option, std::optional<std::string>());
      app.add_option(format.option, paths_.back().second, format.help)->check(not_empty());
    }
  }
  OutputPaths paths() const {
    OutputPaths given;
    for (const auto& [option, path] : paths_)
      if (path) given.emplace_back(option, *path);
    return given;
  }

 private:
  // CLI11 keeps a reference to each value: a deque does not move them.
  std::deque<std::pair<std::string, std::optional<std::string>>> paths_;
};

void add_analysis_options(CLI::App& app, AnalysisSettings& analysis) {
  app.add_option(
         "--seed", analysis.seed,
         "Seed of the order of interleaved pairs, to make an order again (default: a fresh one, recorded "
         "in the report)")
      ->transform(whole_number(0, kMaxSeed));
  app.add_option("--noise-threshold", analysis.noise_threshold,
                 "Relative differences within this are not claimed (0.01 = 1%)")
      ->check(decimal_number(0, 0.5))
      ->capture_default_str();
}

int run(const std::vector<std::string>& arguments) {
  CLI::App app{"Runs the callbench benchmark many times and reports its figures with their " +
                   confidence_percent() + "% intervals; `compare` puts reports written by --json side by side.",
               "callbench-report"};
  app.set_version_flag("--version", kToolVersion);
  app.footer(
      "Give the command after --, e.g.: callbench-report --runs 20 -- wine callbench.exe\n"
      "Two commands run alternately: callbench-report --runs 20 -- ./callbench --vs wine callbench.exe");

  MeasureOptions m;
  OutputOptions measure_outputs;
  app.add_option("--runs", m.run.runs, "Runs of each command to count (with --precision, the least)")
      ->transform(whole_number(1, kMaxRuns))
      ->capture_default_str();
  app.add_option("--warmup", m.run.warmup, "Runs of each command made and checked first, not counted")
      ->transform(whole_number(0, kMaxWarmup))
      ->capture_default_str();
  app.add_option("--precision", m.run.precision,
                 "Keep running until every interval is within +/- this fraction of its estimate (0.01 = 1%)")
      ->check(decimal_number(0.0001, 0.5));
  app.add_option("--max-runs", m.run.max_runs, "With --precision, stop after this many runs")
      ->transform(whole_number(1, kMaxRuns))
      ->capture_default_str();
  app.add_option("--timeout", m.run.timeout_seconds, "Seconds a run may take before it is killed")
      ->check(decimal_number(0.001, 86400.0))
      ->capture_default_str();
  app.add_option("--cpu", m.cpu, "Pin the runs (and the clock calibration) to this processor")
      ->transform(whole_number(0, kMaxCpu));
  app.add_option("--baseline", m.baseline, "Compare with a report written earlier by --json")
      ->check(not_empty());
  app.add_option("--label", m.label, "Name this report in later comparisons (stored in the JSON)");
  app.add_option("--from", m.from,
                 "Report saved outputs of the benchmark instead of running it (- for standard input)")
      ->check(not_empty());
  app.add_option("--machine", m.machine, "With --from: the machine the outputs came from")->check(not_empty());
  add_analysis_options(app, m.analysis);
  measure_outputs.add_to(app);
  app.add_option("command", m.command,
                 "The benchmark to run (default: the Linux build beside this program, or callbench.exe beside "
                 "it on Windows), optionally --vs a second one");

  CompareOptions c;
  OutputOptions compare_outputs;
  auto* compare_app = app.add_subcommand(
      "compare", "Put reports written by --json side by side (with two series, the change); runs nothing");
  compare_app->add_option("files", c.files, "The report files")->required()->check(not_empty());
  compare_app->add_option("--label", c.label, "Name the combined report (stored in its JSON)");
  compare_app->add_flag("--pool", c.pool,
                        "Pool the reports of each machine (by --label, else host and processor), made at "
                        "different times, into its long-run figures");
  add_analysis_options(*compare_app, c.analysis);
  compare_outputs.add_to(*compare_app);

  SystemOptions s;
  auto* system_app = app.add_subcommand(
      "system",
      "Check whether this machine is fit to measure (governor, boost, SMT, isolation, hypervisor, "
      "load, priority; on Windows the power plan); exit 0 when fit, 2 when not. Changes nothing.");
  system_app->add_option("--cpu", s.cpu, "The processor the runs would be pinned to")
      ->transform(whole_number(0, kMaxCpu));

  std::vector<std::string> reversed(arguments.rbegin(), arguments.rend() - 1);
  try {
    app.parse(reversed);
  } catch (const CLI::Success& e) {  // --help, --help-all, --version
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    throw Error(std::string(e.what()) + " (see --help)");
  }

  if (system_app->parsed()) return check_system(s);
  if (compare_app->parsed()) {
    c.outputs = compare_outputs.paths();
    return compare(c);
  }
  m.outputs = measure_outputs.paths();
  settle_measure_options(m, [&app](const char* option) { return app.count(option) > 0; });
  return measure(m);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run(start_program(argc, argv));
  } catch (const Error& e) {
    complain(e.what());
    return e.exit_status;
  } catch (const std::exception& e) {
    complain(std::string("unexpected failure: ") + e.what());
    return kExitIncomplete;
  }
}
