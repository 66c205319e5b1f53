// callbench-report: runs the benchmark many times and reports what it measured,
// with the uncertainty of every figure; or compares reports written earlier.
#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "app/options.hpp"
#include "app/outputs.hpp"
#include "app/version.hpp"
#include "cli/option_checks.hpp"
#include "system/arguments.hpp"
#include "system/files.hpp"

namespace {

using namespace callbench;

void add_output_options(CLI::App& app, OutputOptions& outputs, bool json) {
  if (json)
    app.add_option("--json", outputs.json, "Also write every figure and statistic as JSON (- for standard output)")
        ->check(not_empty());
  app.add_option("--markdown", outputs.markdown, "Also write the table as Markdown (- for standard output)")
      ->check(not_empty());
  app.add_option("--csv", outputs.csv, "Also write the table as CSV (- for standard output)")
      ->check(not_empty());
  app.add_option("--html", outputs.html, "Also write a self-contained HTML report with charts")
      ->check(not_empty());
}

void add_analysis_options(CLI::App& app, AnalysisSettings& analysis) {
  app.add_option("--seed", analysis.seed, "Seed of the bootstrap resampling, for reproducible intervals")
      ->check(whole_number(0, 9'000'000'000'000'000'000LL))
      ->capture_default_str();
  app.add_option("--noise-threshold", analysis.noise_threshold,
                 "Relative differences within this are not claimed (0.01 = 1%)")
      ->check(decimal_number(0, 0.5))
      ->capture_default_str();
}

// "A --vs B" after "--": the two commands run alternately.
bool split_at_vs(std::vector<std::string>& command, std::vector<std::string>& vs_command) {
  const auto vs = std::find(command.begin(), command.end(), "--vs");
  if (vs == command.end()) return true;
  vs_command.assign(vs + 1, command.end());
  command.erase(vs, command.end());
  return !command.empty() && !vs_command.empty() &&
         std::find(vs_command.begin(), vs_command.end(), "--vs") == vs_command.end();
}

}  // namespace

int main(int argc, char** argv) {
  guard_standard_streams();

  CLI::App app{"Runs the callbench benchmark many times and reports its figures with their "
               "95% intervals; `compare` puts reports written by --json side by side."};
  app.set_version_flag("--version", kToolVersion);
  app.footer(
      "Give the command after --, e.g.: callbench-report --runs 20 -- wine callbench.exe\n"
      "Two commands run alternately: callbench-report --runs 20 -- ./callbench --vs wine callbench.exe");

  MeasureOptions measure_options;
  auto& m = measure_options;
  app.add_option("--runs", m.runs, "Runs of each command to count (with --precision, the least)")
      ->check(whole_number(1, 1000000))
      ->capture_default_str();
  app.add_option("--warmup", m.warmup, "Runs of each command made and checked first, not counted")
      ->check(whole_number(0, 1000))
      ->capture_default_str();
  auto* precision = app.add_option("--precision", m.precision,
                                   "Keep running until every paired ratio's interval is within "
                                   "+/- this fraction of it (0.01 = 1%)");
  precision->check(decimal_number(0.0001, 0.5));
  auto* max_runs = app.add_option("--max-runs", m.max_runs, "With --precision, stop after this many runs")
                       ->check(whole_number(1, 1000000))
                       ->capture_default_str();
  app.add_option("--timeout", m.timeout_seconds, "Seconds a run may take before it is killed")
      ->check(decimal_number(0.001, 86400.0))
      ->capture_default_str();
  app.add_option("--cpu", m.cpu, "Pin the runs (and the clock calibration) to this processor")
      ->check(whole_number(0, 1 << 20));
  app.add_option("--baseline", m.baseline, "Compare with a report written earlier by --json")
      ->check(not_empty());
  app.add_option("--label", m.label, "Name this report in later comparisons (stored in the JSON)");
  app.add_option("--from", m.from,
                 "Report saved outputs of the benchmark instead of running it (- for standard input)")
      ->check(not_empty());
  auto* machine = app.add_option("--machine", m.machine, "With --from: the machine the outputs came from")
                      ->check(not_empty());
  add_analysis_options(app, m.analysis);
  add_output_options(app, m.outputs, true);
  app.add_option("command", m.command,
                 "The benchmark to run (default: the Linux build beside this program, or "
                 "callbench.exe beside it on Windows), optionally --vs a second one");

  CompareOptions compare_options;
  auto* compare_app = app.add_subcommand(
      "compare", "Put reports written by --json side by side (with two, the change); runs nothing");
  compare_app->add_option("files", compare_options.files, "The report files")->required()->check(not_empty());
  add_analysis_options(*compare_app, compare_options.analysis);
  add_output_options(*compare_app, compare_options.outputs, false);

  auto arguments = utf8_arguments(argc, argv);
  std::vector<std::string> reversed(arguments.rbegin(), arguments.rend() - 1);
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    complain(std::string(e.what()) + " (see --help)");
    return kExitBadInput;
  }

  if (compare_app->parsed()) return compare(compare_options);

  const auto misuse = [](const std::string& message) {
    complain(message);
    return kExitBadInput;
  };
  if (!split_at_vs(m.command, m.vs_command)) return misuse("--vs needs a command on each side");
  if (!m.from.empty()) {
    for (const char* option : {"--runs", "--warmup", "--precision", "--max-runs", "--timeout", "--cpu"})
      if (app.count(option)) return misuse(std::string(option) + " has no meaning with --from: nothing is run");
    if (!m.command.empty()) return misuse("--from reads saved outputs; give no command as well");
  } else if (*machine) {
    return misuse("--machine names where saved outputs came from; use it with --from");
  }
  if (!m.vs_command.empty() && m.baseline) return misuse("--vs and --baseline cannot be used together");
  if (*max_runs && !*precision) return misuse("--max-runs is the limit of --precision");
  if (m.precision && m.max_runs < m.runs) return misuse("--max-runs is below --runs");
  return measure(measure_options);
}
