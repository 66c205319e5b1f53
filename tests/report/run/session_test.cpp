// The session on a scripted runner, so no process starts and no clock races:
// interleaved pairs in a seeded random order, numbered in time; warm-up runs
// apart; failures told as they happen; a precision target that stops the runs
// and is judged on a schedule that keeps it cheap; interruptions.
#include <gtest/gtest.h>

#include <cerrno>
#include <sstream>

#include "read/output_check.hpp"
#include "run/session.hpp"
#include "scripted_runner.h"

namespace callbench {
namespace {

using Outcome = ProcessResult::Outcome;
const std::string& kGood = benchmark_output::kSample;

SessionPlan plan_for(std::size_t commands, int runs, int warmup = 1) {
  SessionPlan plan;
  for (std::size_t i = 0; i < commands; ++i) {
    plan.commands.push_back({std::string(1, static_cast<char>('a' + i))});
    plan.output_checks.push_back(OutputChecker());
  }
  plan.settings.runs = runs;
  plan.settings.warmup = warmup;
  return plan;
}

// The first letters of the commands started, in order.
std::string started(const ScriptedRunner& runner) {
  std::string order;
  for (const auto& command : runner.started) order += command.front();
  return order;
}

TEST(Session, InterleavedPairsComeInASeededRandomOrderAndAreNumberedInTime) {
  std::string first_order;
  for (const std::uint64_t seed : {20261209, 20261209, 7}) {
    auto plan = plan_for(2, 12);
    plan.order_seed = seed;
    ScriptedRunner runner;
    for (int i = 0; i < 26; ++i) runner.results.push_back(exited(0, kGood, 1 + i));
    std::ostringstream log;
    const auto result = run_session(plan, runner, log, false, nullptr);
    const std::string order = started(runner);
    ASSERT_EQ(order.size(), 26u);
    EXPECT_EQ(order.substr(0, 2), "ab") << "warm-up in the given order";
    int ab = 0, ba = 0;
    for (std::size_t pair = 1; pair < 13; ++pair) {
      const std::string two = order.substr(2 * pair, 2);
      ab += two == "ab";
      ba += two == "ba";
      const auto& a = result.series[0].runs[pair - 1];
      const auto& b = result.series[1].runs[pair - 1];
      EXPECT_EQ(a.number, static_cast<int>(pair));
      EXPECT_EQ(*a.sequence, static_cast<int>(2 * pair + (two == "ab" ? 1 : 2)));
      EXPECT_EQ(*b.sequence, static_cast<int>(2 * pair + (two == "ab" ? 2 : 1)));
      EXPECT_EQ(*a.wall_seconds, *a.sequence) << "each run's own wall time";
    }
    EXPECT_EQ(ab, 6) << order;
    EXPECT_EQ(ba, 6) << order;
    if (first_order.empty()) first_order = order;
    EXPECT_EQ(order == first_order, seed == 20261209) << "the same seed, the same order: " << order;
    EXPECT_EQ(result.series[0].warmup_runs, 1);
    EXPECT_EQ(result.series[1].runs_requested, 12);
    EXPECT_EQ(log.str(), "");
  }
}

// Each failed run is told on the log as it happens, with the end of its
// standard error, and kept with its number (0 for a warm-up run); the runs
// that count are numbered as asked. What runs leave behind is told at the end.
TEST(Session, FailedRunsAreToldAsTheyHappenAndCountedApart) {
  auto left = exited(0, kGood);
  left.left_running = 2;
  auto not_started = ended(Outcome::NotStarted, ENOENT);
  const struct {
    std::size_t commands;
    std::vector<ProcessResult> results;
    std::string log;
    std::vector<int> failed;  // of each series in turn
    std::size_t valid, started;
  } cases[] = {
      {1,
       {exited(4, "", 1, "stand-in: flaking\n"), exited(0, kGood), ended(Outcome::Signalled, 11),
        ended(Outcome::TimedOut), exited(0, "garbage")},
       "warm-up run 1: exited with status 4\n  stderr: stand-in: flaking\n"
       "run 2: killed by signal 11 (Segmentation fault)\n"
       "run 3: still running after the timeout of 60 s; killed\n"
       "run 4: line 1: expected \"<figure>\\tmillicycles for TestNoFrameA\\r\\n\", got \"garbage\"\n",
       {0, 2, 3, 4},
       1,
       5},
      {2,
       {exited(0, kGood), not_started},
       "warm-up run 1 (B): cannot start b: No such file or directory\n"
       "no further runs: the command cannot be started\n",
       {0},
       0,
       2},
      {1,
       {left, left, exited(0, kGood)},
       "2 runs left processes running when they ended (4 in all); they were killed\n",
       {},
       4,
       5},
      {1,
       {exited(0, kGood), left},
       "1 run left processes running when it ended (2 in all); they were killed\n",
       {},
       4,
       5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.log);
    ScriptedRunner runner;
    runner.results.assign(c.results.begin(), c.results.end());
    std::ostringstream log;
    const auto result = run_session(plan_for(c.commands, 4), runner, log, false, nullptr);
    EXPECT_EQ(log.str(), c.log);
    EXPECT_EQ(runner.started.size(), c.started);
    std::vector<int> failed;
    for (const auto& s : result.series)
      for (const auto& failure : s.failures) {
        failed.push_back(failure.number);
        EXPECT_EQ(failure.reason.rfind("warm-up: ", 0) == 0, failure.number == 0) << failure.reason;
      }
    EXPECT_EQ(failed, c.failed);
    EXPECT_EQ(result.series.back().runs.size(), c.valid);
    EXPECT_EQ(result.series[0].runs_requested, 4) << "the runs asked for, whatever became of them";
  }
}

TEST(Session, AnInterruptionStopsTheRunsAndIsTold) {
  for (const bool during_a_run : {false, true}) {
    ScriptedRunner runner;
    // Seen before the third run starts, or only once it has been stopped.
    runner.signal = 15;
    runner.interrupt_from = 2 + during_a_run;
    if (during_a_run) runner.results = {exited(0, kGood), exited(0, kGood), ended(Outcome::Interrupted)};
    std::ostringstream log;
    const auto result = run_session(plan_for(1, 5), runner, log, false, nullptr);
    EXPECT_EQ(result.interrupted_by, 15);
    EXPECT_EQ(runner.started.size(), 2u + during_a_run);
    EXPECT_EQ(result.series[0].runs.size(), 1u);
    EXPECT_TRUE(result.series[0].failures.empty()) << "a run stopped by the interruption is not a failure";
    EXPECT_EQ(log.str(), "");
  }
}

TEST(Session, ProgressIsOneLineRewrittenInPlace) {
  auto plan = plan_for(2, 1);
  plan.settings.precision = 0.1;
  plan.settings.max_runs = 2;
  ScriptedRunner runner;
  runner.results = {exited(0, kGood), exited(9, "")};
  std::ostringstream log;
  run_session(plan, runner, log, true, [](const std::vector<std::vector<callbench::Run>>&) {
    return std::optional<PrecisionStatus>(PrecisionStatus{0.25, std::nullopt});
  });
  const auto line = [](const std::string& text) { return text + "\r" + std::string(text.size(), ' ') + "\r"; };
  EXPECT_EQ(log.str(), line("warm-up run 1 (A)") + line("warm-up run 1 (B)") +
                           "warm-up run 1 (B): exited with status 9\n" + line("run 1 (up to 2) (A)") +
                           line("run 1 (up to 2) (B)") + line("run 2 (up to 2) (B), widest interval +/-25%") +
                           line("run 2 (up to 2) (A), widest interval +/-25%"));
}

TEST(Session, APrecisionTargetStopsTheRunsOnceMet) {
  auto plan = plan_for(1, 3);
  plan.settings.precision = 0.01;
  plan.settings.max_runs = 50;
  ScriptedRunner runner;
  std::ostringstream log;
  int asked = 0;
  const auto result =
      run_session(plan, runner, log, false, [&](const std::vector<std::vector<callbench::Run>>& runs) {
        ++asked;
        return runs[0].size() >= 5 ? std::optional<PrecisionStatus>(PrecisionStatus{0.005, std::nullopt})
                                   : std::optional<PrecisionStatus>(PrecisionStatus{0.2, 30});
      });
  ASSERT_TRUE(result.precision);
  EXPECT_TRUE(result.precision->reached);
  EXPECT_EQ(result.precision->runs, 5);
  EXPECT_EQ(result.precision->widest, 0.005);
  EXPECT_EQ(result.series[0].runs.size(), 5u);
  EXPECT_EQ(result.series[0].runs_requested, 5) << "the runs the target took";
  EXPECT_EQ(asked, 5);
}

// Judging the intervals takes time of its own; past the first twenty rounds it
// waits until the runs took twenty times as long as it did, and it judges the
// round that makes the runs asked for, the last round, and the last round made
// when the runs stop early.
TEST(Session, APrecisionTargetIsJudgedOnAScheduleThatKeepsItCheap) {
  std::vector<int> first_twenty;
  for (int round = 1; round <= 20; ++round) first_twenty.push_back(round);
  const auto and_then = [&](std::vector<int> more) {
    more.insert(more.begin(), first_twenty.begin(), first_twenty.end());
    return more;
  };
  const struct {
    double run_seconds, judge_seconds;
    std::size_t interrupted_after;  // runs; 0: never
    std::vector<int> judged;
  } cases[] = {
      // Runs slow beside the judging: every round.
      {1, 1.0 / 64, 0,
       and_then({21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40})},
      // Runs of a 64th of a second, judging a 256th: every fifth round.
      {1.0 / 64, 1.0 / 256, 0, and_then({25, 30, 35, 40})},
      // Judging far slower than the runs: only the rounds that must be.
      {1.0 / 64, 1, 0, and_then({30, 40})},
      {1.0 / 64, 1, 26, and_then({26})},
  };
  for (const auto& c : cases) {
    auto plan = plan_for(1, 30, 0);
    plan.settings.precision = 0.01;
    plan.settings.max_runs = 40;
    ScriptedRunner runner;
    for (int i = 0; i < 40; ++i) runner.results.push_back(exited(0, kGood, c.run_seconds));
    if (c.interrupted_after) {
      runner.signal = 2;
      runner.interrupt_from = c.interrupted_after;
    }
    std::vector<int> judged;
    std::ostringstream log;
    const auto result =
        run_session(plan, runner, log, false, [&](const std::vector<std::vector<callbench::Run>>& runs) {
          judged.push_back(static_cast<int>(runs[0].size()));
          runner.advance(c.judge_seconds);
          return std::optional<PrecisionStatus>(PrecisionStatus{0.2, 30});
        });
    EXPECT_EQ(judged, c.judged);
    ASSERT_TRUE(result.precision);
    EXPECT_FALSE(result.precision->reached);
    EXPECT_EQ(result.precision->runs, c.judged.back());
  }
}

}  // namespace
}  // namespace callbench
