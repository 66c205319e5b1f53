// callbench-report-statcheck: how often callbench-report's verdicts are wrong,
// on a noise model of known truth. In process it simulates the reports and
// decides them with the report's own functions; with --tool it has the real
// callbench-report run a stand-in benchmark that plays the same noise model.
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "in_process.hpp"
#include "tool_mode.hpp"

namespace {

using namespace callbench::statcheck;

struct Options {
  std::size_t reports = 2000;
  std::vector<std::size_t> runs = {2, 3, 5, 10, 20};
  std::uint64_t seed = 20261209;
  unsigned workers = 2;
  bool check = false;
  double drift_scale = 1, noise_scale = 1;
  std::string only;  // cases whose label holds this text
  ToolSetup tool;
};

[[noreturn]] void usage(const std::string& problem) {
  std::cerr << "callbench-report-statcheck: " << problem << "\n"
            << "usage: callbench-report-statcheck [--reports N] [--runs K,K,...] [--seed S] [--workers W]\n"
            << "         [--only TEXT] [--check]\n"
            << "         [--drift-scale X] [--noise-scale X] [--tool CALLBENCH_REPORT --standin STANDIN --work "
               "DIR]\n";
  std::exit(2);
}

std::vector<std::size_t> parse_list(const std::string& text) {
  std::vector<std::size_t> values;
  std::stringstream in(text);
  for (std::string item; std::getline(in, item, ',');) values.push_back(std::stoul(item));
  return values;
}

Options parse(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const auto value = [&]() -> std::string {
      if (i + 1 >= argc) usage(arg + " needs a value");
      return argv[++i];
    };
    try {
      if (arg == "--reports")
        o.reports = std::stoul(value());
      else if (arg == "--runs")
        o.runs = parse_list(value());
      else if (arg == "--seed")
        o.seed = std::stoull(value());
      else if (arg == "--workers")
        o.workers = static_cast<unsigned>(std::stoul(value()));
      else if (arg == "--only")
        o.only = value();
      else if (arg == "--check")
        o.check = true;
      else if (arg == "--drift-scale")
        o.drift_scale = std::stod(value());
      else if (arg == "--noise-scale")
        o.noise_scale = std::stod(value());
      else if (arg == "--tool")
        o.tool.report = value();
      else if (arg == "--standin")
        o.tool.standin = value();
      else if (arg == "--work")
        o.tool.work = value();
      else
        usage("unknown argument " + arg);
    } catch (const std::logic_error&) {
      usage("bad value for " + arg);
    }
  }
  if (o.reports == 0 || o.runs.empty() || o.workers == 0) usage("reports, runs and workers must be positive");
  for (auto k : o.runs)
    if (k < 2) usage("every run count must be at least 2");
  if (!o.tool.report.empty() && (o.tool.standin.empty() || o.tool.work.empty()))
    usage("--tool needs --standin and --work");
  return o;
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = parse(argc, argv);
  std::vector<Case> cases;
  for (auto& c : standard_cases())
    if (c.label.find(options.only) != std::string::npos) cases.push_back(c);
  scale_model(cases, options.drift_scale, options.noise_scale);
  Tally tally(cases, options.runs, options.reports);
  const bool tool_mode = !options.tool.report.empty();
  std::size_t failed = 0;
  if (tool_mode)
    failed = tally_with_tool(tally, options.tool, options.seed, options.workers);
  else
    tally_in_process(tally, options.seed, options.workers);
  print_markdown(tally, tool_mode ? "callbench-report on the stand-in" : "decisions in process", std::cout);

  const auto missed = missed_targets(tally);
  for (const auto& line : missed) std::cout << "missed: " << line << '\n';
  if (failed) std::cout << failed << " reports failed and were left out\n";
  return failed || (options.check && !missed.empty()) ? 1 : 0;
}
