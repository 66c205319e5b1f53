// callbench-report: runs the benchmark several times and reports what it measured.
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "analyse/aggregate.hpp"
#include "cli/option_checks.hpp"
#include "read/report_file.hpp"
#include "run/interruption.hpp"
#include "run/session.hpp"
#include "system/arguments.hpp"
#include "system/default_command.hpp"
#include "system/files.hpp"
#include "system/machine.hpp"
#include "write/json.hpp"
#include "write/table.hpp"

namespace {

constexpr int kExitIncomplete = 1;  // runs failed, or a report could not be delivered
constexpr int kExitBadInput = 2;
const std::string kSelf = "callbench-report";

int complain(const std::string& message, int status) {
  std::cerr << kSelf << ": " << message << '\n';
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace callbench;
  guard_standard_streams();

  CLI::App app{"Runs the callbench benchmark several times and reports its figures."};
  app.footer("Give the command after --, e.g.: callbench-report --runs 5 -- wine callbench.exe");
  int runs = 10;
  double timeout = 60;
  std::string json_path, baseline_path;
  std::vector<std::string> command;
  app.add_option("--runs", runs, "How many times to run the benchmark")
      ->check(whole_number(1, 1000000))
      ->capture_default_str();
  app.add_option("--timeout", timeout, "Seconds a run may take before it is killed")
      ->check(decimal_number(0.001, 86400.0))
      ->capture_default_str();
  app.add_option("--json", json_path, "Also write the report to this JSON file (- for standard output)")
      ->check(not_empty());
  app.add_option("--baseline", baseline_path, "Compare with a JSON file written earlier by --json")
      ->check(not_empty());
  app.add_option("command", command,
#ifdef _WIN32
                 "The benchmark to run (default: callbench.exe beside this program)");
#else
                 "The benchmark to run (default: ../linux-i386/callbench beside this program)");
#endif
  // UTF-8 on every system; on Windows argv itself is in the ANSI code page.
  const auto arguments = utf8_arguments(argc, argv);
  std::vector<const char*> utf8_argv;
  for (const auto& argument : arguments) utf8_argv.push_back(argument.c_str());
  try {
    app.parse(static_cast<int>(utf8_argv.size()), utf8_argv.data());
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    return complain(std::string(e.what()) + " (see --help)", kExitBadInput);
  }

  // Every input and destination is checked before any time is spent on runs.
  std::optional<OutputFile> json_file;
  std::optional<Baseline> baseline;
  try {
    if (app.count("--json")) json_file = OutputFile::prepare(json_path);
    if (app.count("--baseline")) baseline = load_baseline(baseline_path);
  } catch (const FileError& e) {
    return complain(e.what(), kExitBadInput);
  } catch (const BaselineError& e) {
    return complain(e.what(), kExitBadInput);
  }
  if (command.empty()) {
    const auto program = default_program();
    if (!program) return complain("cannot find where this program is; name the benchmark after --", kExitBadInput);
    command.push_back(*program);
  }
  // The table goes where the JSON does not.
  const Stream table_stream =
      json_file && json_file->is_standard_output() ? Stream::Error : Stream::Output;

  Report report;
  report.command = command;
  report.runs_requested = runs;
  report.machine = this_machine();
  report.baseline = baseline;

  watch_for_interruption();
  ProcessLimits limits;
  limits.timeout_seconds = timeout;
  auto session = run_session(command, runs, limits, std::cerr, is_terminal(Stream::Error));
  report.runs = std::move(session.runs);
  report.failures = std::move(session.failures);
  report.sizes = session.sizes;
  report.interrupted_by = session.interrupted_by;
  const int interrupted_status =
      session.interrupted_by ? interrupted_exit_status(session.interrupted_by) : 0;
  if (report.runs.empty()) {
    if (interrupted_status)
      return complain(std::string("interrupted by ") + signal_name(session.interrupted_by) +
                          " before any run finished; nothing to report",
                      interrupted_status);
    return complain("no valid run out of " + std::to_string(runs) + "; nothing to report",
                    kExitIncomplete);
  }
  aggregate(report);

  int status = report.failures.empty() ? 0 : kExitIncomplete;
  if (!report.failures.empty())
    std::cerr << kSelf << ": " << report.failures.size() << " of " << runs
              << " runs failed (told above); the report is made from the others\n";
  // The JSON first: it holds every figure, and a broken pipe for the table must not lose it.
  if (json_file) {
    try {
      json_file->write(json_text(report));
    } catch (const FileError& e) {
      status = complain(std::string("cannot write the JSON report: ") + e.what(), kExitIncomplete);
    }
  }
  std::ostringstream table;
  print_table(table, report);
  try {
    std::cerr << std::flush;
    write_stream(table_stream, table.str());
  } catch (const FileError& e) {
    status = complain(std::string("cannot write the table: ") + e.what(), kExitIncomplete);
  }
  return interrupted_status ? interrupted_status : status;
}
