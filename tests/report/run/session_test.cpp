// The session against the stand-in: interleaved pairs in a seeded random
// order, numbered in time; warm-up runs apart; a precision target that stops
// the runs; a command that cannot start stops them too.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "read/output_check.hpp"
#include "run/session.hpp"

namespace callbench {
namespace {

const std::string kStandin = CALLBENCH_STANDIN;

struct Scratch {
  Scratch()
      : dir(std::filesystem::temp_directory_path() / ("callbench-session-" + std::to_string(::getpid()))) {
    std::filesystem::create_directories(dir);
  }
  ~Scratch() { std::filesystem::remove_all(dir); }
  std::string path(const std::string& name) const { return (dir / name).string(); }
  std::string text(const std::string& name) const {
    std::ostringstream content;
    content << std::ifstream(path(name)).rdbuf();
    return content.str();
  }
  std::filesystem::path dir;
};

SessionPlan plan_for(std::vector<std::vector<std::string>> commands, int runs, std::uint64_t seed) {
  SessionPlan plan;
  plan.commands = std::move(commands);
  for (std::size_t i = 0; i < plan.commands.size(); ++i) plan.judges.push_back(OutputChecker());
  plan.settings.runs = runs;
  plan.order_seed = seed;
  return plan;
}

TEST(Session, InterleavedPairsComeInASeededRandomOrderAndAreNumberedInTime) {
  Scratch scratch;
  std::ostringstream log;
  std::string first_order;
  for (int attempt = 0; attempt < 2; ++attempt) {
    std::filesystem::remove(scratch.path("log"));
    const auto plan =
        plan_for({{kStandin, "log", scratch.path("log"), "A"}, {kStandin, "log", scratch.path("log"), "B"}}, 12,
                 20261209);
    const auto result = run_session(plan, log, false, nullptr);
    ASSERT_EQ(result.series.size(), 2u);
    const std::string order = scratch.text("log");
    ASSERT_EQ(order.size(), 2 * 13 * 2u) << order;
    EXPECT_EQ(order.substr(0, 4), "A\nB\n") << "warm-up in the given order";
    int ab = 0, ba = 0;
    for (std::size_t pair = 1; pair < 13; ++pair) {
      const std::string two = order.substr(4 * pair, 4);
      ab += two == "A\nB\n";
      ba += two == "B\nA\n";
      ASSERT_TRUE(two == "A\nB\n" || two == "B\nA\n") << order;
      const auto& a = result.series[0].runs[pair - 1];
      const auto& b = result.series[1].runs[pair - 1];
      EXPECT_EQ(a.number, static_cast<int>(pair));
      EXPECT_EQ(*a.sequence < *b.sequence, two == "A\nB\n");
      EXPECT_EQ(std::abs(*a.sequence - *b.sequence), 1);
    }
    EXPECT_EQ(ab, 6) << order;
    EXPECT_EQ(ba, 6) << order;
    if (attempt == 0) first_order = order;
    EXPECT_EQ(order, first_order) << "the same seed, the same order";
    EXPECT_EQ(result.series[0].warmup_runs, 1);
    EXPECT_EQ(result.series[1].runs_requested, 12);
  }
}

TEST(Session, APrecisionTargetStopsTheRunsOnceMet) {
  Scratch scratch;
  std::ostringstream log;
  auto plan = plan_for({{kStandin, "log", scratch.path("log"), "A"}}, 3, 1);
  plan.settings.precision = 0.01;
  plan.settings.max_runs = 50;
  int probes = 0;
  const auto result = run_session(plan, log, false, [&](const std::vector<std::vector<callbench::Run>>& runs) {
    ++probes;
    return runs[0].size() >= 5 ? std::optional<PrecisionStatus>(PrecisionStatus{0.005, std::nullopt})
                               : std::optional<PrecisionStatus>(PrecisionStatus{0.2, 30});
  });
  ASSERT_TRUE(result.precision);
  EXPECT_TRUE(result.precision->reached);
  EXPECT_EQ(result.precision->runs, 5);
  EXPECT_EQ(result.series[0].runs.size(), 5u);
  EXPECT_EQ(probes, 5);
}

// However slow the judging, the runs are not held up by it: past the first
// twenty rounds it waits until the runs took far longer than it did, and
// judges the round that makes the runs asked for and the last round.
TEST(Session, APrecisionTargetIsJudgedOnAScheduleThatKeepsItCheap) {
  Scratch scratch;
  std::ostringstream log;
  auto plan = plan_for({{kStandin, "log", scratch.path("log"), "A"}}, 60, 1);
  plan.settings.precision = 0.01;
  plan.settings.max_runs = 120;
  std::vector<std::size_t> judged;
  const auto result = run_session(plan, log, false, [&](const std::vector<std::vector<callbench::Run>>& runs) {
    judged.push_back(runs[0].size());
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return std::optional<PrecisionStatus>(PrecisionStatus{0.2, 30});
  });
  ASSERT_TRUE(result.precision);
  EXPECT_FALSE(result.precision->reached);
  EXPECT_EQ(result.precision->runs, 120);
  ASSERT_EQ(result.series[0].runs.size(), 120u);
  ASSERT_GE(judged.size(), 22u);
  EXPECT_EQ(judged[19], 20u) << "the first twenty rounds are judged each";
  EXPECT_NE(std::find(judged.begin(), judged.end(), 60u), judged.end())
      << "the round that makes the runs asked for";
  EXPECT_EQ(judged.back(), 120u) << "the last round is judged";
  EXPECT_LT(judged.size(), 100u);
}

TEST(Session, ACommandThatCannotStartStopsTheRunsAndFailuresAreCountedApart) {
  Scratch scratch;
  std::ostringstream log;
  auto plan = plan_for({{scratch.path("missing")}}, 5, 1);
  const auto result = run_session(plan, log, false, nullptr);
  ASSERT_EQ(result.series[0].failures.size(), 1u);
  EXPECT_EQ(result.series[0].failures[0].number, 0) << "a warm-up run";
  EXPECT_NE(log.str().find("no further runs: the command cannot be started"), std::string::npos) << log.str();

  std::ofstream(scratch.path("flaky")) << 1;
  plan = plan_for({{kStandin, "flaky", scratch.path("flaky")}}, 4, 1);
  const auto flaky = run_session(plan, log, false, nullptr);
  EXPECT_EQ(flaky.series[0].runs.size(), 2u);
  EXPECT_EQ(flaky.series[0].failures.size(), 3u) << "the warm-up run and two counted ones";
  EXPECT_EQ(flaky.series[0].runs_requested, 4);
}

}  // namespace
}  // namespace callbench
