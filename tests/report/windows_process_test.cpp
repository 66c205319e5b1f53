// run_process on Windows against a stand-in that behaves well or badly, the
// real benchmark, and callbench-report.exe itself: each ends in bounded time.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <variant>

#include "read/output_parser.hpp"
#include "run/process.hpp"
#include "system/windows_text.hpp"
#include "windows_paths.h"

namespace callbench {
namespace {

using Outcome = ProcessResult::Outcome;

struct Timed {
  ProcessResult result;
  double seconds = 0;
};

Timed run(const std::vector<std::string>& command, const ProcessLimits& limits = {}) {
  const auto start = std::chrono::steady_clock::now();
  Timed timed{run_process(command, limits)};
  timed.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return timed;
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

bool process_gone(DWORD id) {
  HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, id);
  if (!process) return true;
  const bool gone = ::WaitForSingleObject(process, 2000) == WAIT_OBJECT_0;
  ::CloseHandle(process);
  return gone;
}

TEST(WindowsProcess, RunsThatBehaveOrNotEndInBoundedTime) {
  const std::string standin = beside_tests("callbench-report-standin.exe");
  ScratchFolder scratch;
  const std::string child_id_file = scratch.file("child");
  struct {
    std::vector<std::string> args;
    double timeout;
    Outcome outcome;
    std::string reason;  // from failure_reason; empty for a valid run
    double max_seconds;
  } cases[] = {
      {{"good"}, 60, Outcome::Exited, "", 30},
      {{"exit"}, 60, Outcome::Exited, "exited with status 3", 30},
      {{"endless"}, 60, Outcome::OutputTooLarge, "output larger than 65536 bytes; killed", 30},
      // The deadline holds within 0.5 s whatever the run writes or leaves behind.
      {{"roar"}, 1, Outcome::TimedOut, "still running after the timeout of 1 s; killed", 1.5},
      {{"hang", child_id_file}, 1, Outcome::TimedOut, "still running after the timeout of 1 s; killed", 1.5},
      // Not waiting for the end of output that a child left running still holds open.
      {{"leave", child_id_file}, 60, Outcome::Exited, "", 10},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.front());
    std::vector<std::string> command = {standin};
    command.insert(command.end(), c.args.begin(), c.args.end());
    ProcessLimits limits;
    limits.timeout_seconds = c.timeout;
    const auto [result, seconds] = run(command, limits);
    EXPECT_EQ(result.outcome, c.outcome) << result.start_error;
    EXPECT_EQ(failure_reason(result, standin, limits), c.reason);
    EXPECT_LT(seconds, c.max_seconds);
    EXPECT_LE(result.out.size(), limits.max_output);
    EXPECT_LE(result.err.size(), limits.error_tail);
    if (c.args.front() == "good" || c.args.front() == "leave")
      EXPECT_TRUE(std::holds_alternative<RunOutput>(parse_output(result.out))) << result.out;
    if (c.args.front() == "exit") EXPECT_EQ(result.err, "stand-in: failing on purpose\n");
    if (c.args.front() == "roar") EXPECT_GT(result.err_dropped, 0u);
    if (c.args.size() > 1) {
      DWORD child = 0;
      std::ifstream(child_id_file) >> child;
      ASSERT_NE(child, 0u) << "the stand-in did not start its child";
      EXPECT_TRUE(process_gone(child)) << "the run's child outlived it";
      ::DeleteFileW(widen(child_id_file).c_str());
    }
  }
}

TEST(WindowsProcess, ACommandThatCannotStartSaysWhy) {
  const std::string missing = beside_tests("no-such-program.exe");
  const auto [result, seconds] = run({missing});
  EXPECT_EQ(result.outcome, Outcome::NotStarted);
  EXPECT_EQ(result.code, static_cast<int>(ERROR_FILE_NOT_FOUND));
  const auto reason = failure_reason(result, missing, ProcessLimits{});
  EXPECT_EQ(reason.rfind("cannot start " + missing + ": ", 0), 0u) << reason;
  EXPECT_GT(reason.size(), ("cannot start " + missing + ": ").size()) << "no system text";
  EXPECT_FALSE(contains(reason, "Unknown error")) << reason;
}

TEST(WindowsProcess, TheRealBenchmarkPrintsWhatTheParserAccepts) {
  const auto [result, seconds] = run({in_build_root("callbench.exe")});
  ASSERT_EQ(result.outcome, Outcome::Exited) << result.start_error;
  ASSERT_EQ(result.code, 0) << result.err;
  const auto parsed = parse_output(result.out);
  ASSERT_TRUE(std::holds_alternative<RunOutput>(parsed)) << describe(std::get<ParseError>(parsed));
  EXPECT_EQ(std::get<RunOutput>(parsed).sizes, (Sizes{7, 15, 13, 16}));
}

TEST(WindowsProcess, CallbenchReportExeRunsTheBenchmarkBesideItOrAGivenCommand) {
  ScratchFolder scratch;
  const std::string json = scratch.file("report.json");
  const struct {
    std::vector<std::string> args;
    std::string table_start;
  } cases[] = {
      {{"--runs", "1"}, "1 of 1 runs valid"},
      {{"--runs", "2", "--json", json, "--", beside_tests("callbench-report-standin.exe"), "good"},
       "2 of 2 runs valid"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> command = {in_build_root("callbench-report.exe")};
    command.insert(command.end(), c.args.begin(), c.args.end());
    ProcessLimits limits;
    limits.timeout_seconds = 120;
    const auto [result, seconds] = run(command, limits);
    ASSERT_EQ(result.outcome, Outcome::Exited) << result.start_error;
    EXPECT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(result.out.rfind(c.table_start, 0), 0u) << result.out;
  }
  std::ifstream written(json);
  EXPECT_TRUE(written.good()) << "no JSON report";
}

}  // namespace
}  // namespace callbench
