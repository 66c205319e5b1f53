// callbench-report: runs the benchmark several times and reports what it measured.
#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "system/default_command.hpp"
#include "system/machine.hpp"
#include "core/report.hpp"
#include "write/json.hpp"
#include "run/session.hpp"
#include "write/table.hpp"

namespace {

constexpr int kExitRunsFailed = 1;
constexpr int kExitBadInput = 2;

}  // namespace

int main(int argc, char** argv) {
  using namespace callbench;

  CLI::App app{"Runs the callbench benchmark several times and reports its figures."};
  app.footer("Give the command after --, e.g.: callbench-report --runs 5 -- wine callbench.exe");
  int runs = 10;
  double timeout = 60;
  std::string json_file, baseline_file;
  std::vector<std::string> command;
  app.add_option("--runs", runs, "How many times to run the benchmark")
      ->check(CLI::Range(1, 1000000))
      ->capture_default_str();
  app.add_option("--timeout", timeout, "Seconds a run may take before it is killed")
      ->check(CLI::Range(0.001, 86400.0))
      ->capture_default_str();
  app.add_option("--json", json_file, "Also write the report to this JSON file");
  app.add_option("--baseline", baseline_file,
                 "Compare with a JSON file written earlier by --json");
  app.add_option("command", command,
                 "The benchmark to run (default: ../linux-i386/callbench beside this program)");
  CLI11_PARSE(app, argc, argv);

  const std::string self = "callbench-report";
  // Check everything given before spending time on runs.
  std::optional<Baseline> baseline;
  if (!baseline_file.empty()) {
    try {
      baseline = load_baseline(baseline_file);
    } catch (const BaselineError& e) {
      std::cerr << self << ": " << e.what() << '\n';
      return kExitBadInput;
    }
  }
  if (!json_file.empty()) {
    const auto parent = std::filesystem::absolute(json_file).parent_path();
    if (!std::filesystem::is_directory(parent)) {
      std::cerr << self << ": cannot write " << json_file << ": no directory " << parent.string()
                << '\n';
      return kExitBadInput;
    }
  }
  if (command.empty()) {
    const auto program = default_program();
    if (!program) {
      std::cerr << self << ": cannot find where this program is; name the benchmark after --\n";
      return kExitBadInput;
    }
    command.push_back(*program);
  }

  Report report;
  report.command = command;
  report.runs_requested = runs;
  report.machine = this_machine();
  report.baseline = baseline;

  auto session = run_session(command, runs, timeout, std::cerr, ::isatty(2) == 1);
  report.runs = std::move(session.runs);
  report.failures = std::move(session.failures);
  report.sizes = session.sizes;
  if (report.runs.empty()) {
    std::cerr << self << ": no valid run out of " << runs << "; nothing to report\n";
    return kExitRunsFailed;
  }

  aggregate(report);
  print_table(std::cout, report);
  std::cout << std::flush;

  int status = report.failures.empty() ? 0 : kExitRunsFailed;
  if (!report.failures.empty())
    std::cerr << self << ": " << report.failures.size() << " of " << runs
              << " runs failed (told above); the report is made from the others\n";
  if (!json_file.empty()) {
    try {
      write_file_atomically(json_file, to_json(report).dump(2) + "\n");
    } catch (const std::exception& e) {
      std::cerr << self << ": " << e.what() << '\n';
      status = kExitRunsFailed;
    }
  }
  return status;
}
