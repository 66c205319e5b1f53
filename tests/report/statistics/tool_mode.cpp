#include "tool_mode.hpp"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "random_stream.hpp"
#include "simulate.hpp"
#include "standin_arguments.hpp"

extern char** environ;

namespace callbench::statcheck {

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

constexpr std::uintmax_t kMaxReportBytes = 8 << 20;

// Runs the command with no input and no output but its standard error, kept
// in a file for a failure's message; its exit status, or -1.
int run(const std::vector<std::string>& command, const fs::path& error_file) {
  std::vector<char*> argv;
  for (const auto& a : command) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, error_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = -1;
  const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failed) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

Json read_report(const fs::path& file) {
  if (fs::file_size(file) > kMaxReportBytes) throw std::runtime_error(file.string() + " is too large");
  std::ifstream in(file, std::ios::binary);
  return Json::parse(in);
}

std::optional<RatioInterval> interval_of(const Json& ratio) {
  if (!ratio.is_object() || !ratio.value("resampled", true) || !ratio.contains("low") || ratio["low"].is_null())
    return std::nullopt;
  return RatioInterval{ratio["low"].get<double>(), ratio["high"].get<double>()};
}

ReportOutcome paired_outcome(const Json& report) {
  ReportOutcome outcome;
  const Json& paired = report.at("series").at(0).at("analysis").at("paired_with_TheOne");
  for (std::size_t p = 0; p < kProcedures; ++p) {
    if (p == kReference) continue;
    const Json& entry = paired.at(std::string(kProcedureNames[p]));
    outcome.claims[p] = claim_from_word(entry.value("verdict", ""));
    if (entry.contains("ratio")) outcome.intervals[p] = interval_of(entry["ratio"]);
    if (entry.contains("runs_needed") && entry["runs_needed"].is_number_unsigned())
      outcome.runs_needed[p] = entry["runs_needed"].get<std::size_t>();
  }
  return outcome;
}

ReportOutcome comparison_outcome(const Json& report) {
  ReportOutcome outcome;
  const Json& comparison = report.at("comparison");
  if (comparison.contains("position") && comparison["position"].is_object())
    outcome.position = interval_of(comparison["position"].at("second_against_first"));
  const std::string ratios = "ratios_to_" + std::string(kReferenceName);
  if (comparison.contains(ratios) && comparison[ratios].is_object())
    for (std::size_t p = 0; p < kProcedures; ++p)
      if (p != kReference)
        outcome.ratio_claims[p] =
            claim_from_word(comparison[ratios].at(std::string(kProcedureNames[p])).value("verdict", ""));
  const Json& procedures = comparison.at("procedures");
  for (std::size_t p = 0; p < kProcedures; ++p) {
    const Json& entry = procedures.at(std::string(kProcedureNames[p]));
    outcome.claims[p] = claim_from_word(entry.value("verdict", ""));
    // Today's tool gives its rank test's; the new one may give p at the top level.
    const Json* p_value = nullptr;
    if (entry.contains("test") && entry["test"].is_object() && entry["test"].contains("p_value"))
      p_value = &entry["test"]["p_value"];
    else if (entry.contains("p"))
      p_value = &entry["p"];
    if (p_value && p_value->is_number()) outcome.p_values[p] = p_value->get<double>();
  }
  return outcome;
}

ReportOutcome pooled_outcome(const Json& report) {
  ReportOutcome outcome;
  const Json& procedures = report.at("pooled").at(0).at("procedures");
  for (std::size_t p = 0; p < kProcedures; ++p) {
    if (p == kReference) continue;
    const Json& entry =
        procedures.at(std::string(kProcedureNames[p])).at("ratio_to_" + std::string(kReferenceName));
    outcome.claims[p] = claim_from_word(entry.value("verdict", ""));
    if (entry.contains("ratio")) outcome.intervals[p] = interval_of(entry["ratio"]);
  }
  return outcome;
}

class Worker {
 public:
  Worker(const ToolSetup& setup, fs::path dir) : setup_(setup), dir_(std::move(dir)) {
    fs::create_directories(dir_);
  }

  ReportOutcome report(const Case& c, std::size_t runs, std::uint64_t seed) {
    fs::remove(state());
    const auto a = standin(c, seed, 0), b = standin(c, seed, 1);
    switch (c.design) {
      case Design::Single: {
        tool(runs, seed, "single.json", {}, a);
        auto outcome = paired_outcome(read_report(dir_ / "single.json"));
        outcome.ratios_during = ratios_during(scenario_for(c, seed, 0), runs);
        return outcome;
      }
      case Design::Interleaved: {
        auto both = a;
        both.push_back("--vs");
        both.insert(both.end(), b.begin(), b.end());
        tool(runs, seed, "pair.json", {}, both);
        return comparison_outcome(read_report(dir_ / "pair.json"));
      }
      case Design::Pooled: {
        std::vector<std::string> compare = {setup_.report, "compare", "--pool", "--json",
                                            (dir_ / "pooled.json").string()};
        for (std::size_t j = 0; j < c.reports; ++j) {
          // Each report made far apart from the others: its own drift, from process 0.
          fs::remove(state());
          const std::string file = "report" + std::to_string(j) + ".json";
          tool(runs, seed, file, {"--label", "the machine"}, standin(c, pooled_report_seed(seed, j), 0));
          compare.push_back((dir_ / file).string());
        }
        fs::remove(dir_ / "pooled.json");
        if (const int status = run(compare, dir_ / "stderr"); status != 0)
          throw std::runtime_error("callbench-report compare exited with " + std::to_string(status));
        return pooled_outcome(read_report(dir_ / "pooled.json"));
      }
      case Design::Sequential:
        break;
    }
    tool(runs, seed, "old.json", {}, a);
    tool(runs, seed, "new.json", {"--baseline", (dir_ / "old.json").string()}, b);
    return comparison_outcome(read_report(dir_ / "new.json"));
  }

 private:
  fs::path state() const { return dir_ / "processes"; }

  std::vector<std::string> standin(const Case& c, std::uint64_t seed, int side) const {
    auto command =
        standin_arguments({state().string(), scenario_for(c, seed, side), side, c.noise_scale, c.shared_noise});
    command.insert(command.begin(), setup_.standin);
    return command;
  }

  void tool(std::size_t runs, std::uint64_t seed, const std::string& json,
            const std::vector<std::string>& extra, const std::vector<std::string>& command) {
    std::vector<std::string> args = {setup_.report,
                                     "--runs",
                                     std::to_string(runs),
                                     "--seed",
                                     std::to_string(tool_order_seed(seed)),
                                     "--json",
                                     (dir_ / json).string()};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back("--");
    args.insert(args.end(), command.begin(), command.end());
    fs::remove(dir_ / json);
    const int status = run(args, dir_ / "stderr");
    if (status != 0) throw std::runtime_error("callbench-report exited with " + std::to_string(status));
  }

  const ToolSetup& setup_;
  fs::path dir_;
};

}  // namespace

std::size_t tally_with_tool(Tally& tally, const ToolSetup& setup, std::uint64_t seed, unsigned workers) {
  struct Item {
    std::size_t c, k, r;
  };
  std::vector<Item> items;
  for (std::size_t c = 0; c < tally.cases.size(); ++c)
    if (setup_of(tally.cases, c) == c)
      for (std::size_t k = 0; k < tally.runs.size(); ++k)
        for (std::size_t r = 0; r < tally.reports; ++r) items.push_back({c, k, r});

  std::atomic<std::size_t> next{0};
  std::size_t failed = 0;
  std::mutex merge;
  std::vector<std::thread> threads;
  for (unsigned w = 0; w < workers; ++w)
    threads.emplace_back([&, w] {
      Worker worker(setup, fs::path(setup.work) / ("worker" + std::to_string(w)));
      for (std::size_t i; (i = next++) < items.size();) {
        const Item& item = items[i];
        const Case& c = tally.cases[item.c];
        try {
          const auto outcome =
              worker.report(c, tally.runs[item.k], report_seed(tally, item.c, item.k, item.r, seed));
          const std::lock_guard<std::mutex> lock(merge);
          for (std::size_t row = item.c; row < tally.cases.size(); ++row)
            if (setup_of(tally.cases, row) == item.c)
              tally.counts[row][item.k] += score(tally.cases[row], outcome);
        } catch (const std::exception& e) {
          const std::lock_guard<std::mutex> lock(merge);
          ++failed;
          std::cerr << "statcheck: " << c.label << ", K = " << tally.runs[item.k] << ", report " << item.r
                    << " left out: " << e.what() << '\n';
        }
      }
    });
  for (auto& t : threads) t.join();
  return failed;
}

}  // namespace callbench::statcheck
