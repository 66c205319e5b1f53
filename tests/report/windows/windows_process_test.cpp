// run_process on Windows against a stand-in that behaves well or badly, the
// real benchmark, and callbench-report.exe itself: each ends in bounded time.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <variant>

#include "core/command_line.hpp"
#include "read/output_parser.hpp"
#include "run/failure_reason.hpp"
#include "system/process.hpp"
#include "system/windows_text.hpp"
#include "windows_paths.h"

namespace callbench {
namespace {

using Outcome = ProcessResult::Outcome;

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
      {{"leave-and-hang", child_id_file},
       1,
       Outcome::TimedOut,
       "still running after the timeout of 1 s; killed",
       1.5},
      // Not waiting for the end of output that a child left running still holds open.
      {{"leave", child_id_file}, 60, Outcome::Exited, "", 10},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.front());
    std::vector<std::string> command = {standin};
    command.insert(command.end(), c.args.begin(), c.args.end());
    ProcessLimits limits;
    limits.timeout_seconds = c.timeout;
    const auto start = std::chrono::steady_clock::now();
    const auto result = run_process(command, limits);
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(result.outcome, c.outcome) << result.start_error;
    EXPECT_EQ(failure_reason(result, standin, limits), c.reason);
    EXPECT_LT(seconds.count(), c.max_seconds);
    EXPECT_LE(result.out.size(), limits.max_output);
    EXPECT_LE(result.err.size(), limits.error_tail);
    if (c.args.front() == "good" || c.args.front() == "leave")
      EXPECT_TRUE(std::holds_alternative<RunOutput>(parse_output(result.out))) << result.out;
    if (c.args.front() == "exit") EXPECT_EQ(result.err, "stand-in: failing on purpose\n");
    if (c.args.front() == "leave") EXPECT_EQ(result.left_running, 1) << "the child left in the job is counted";
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

std::vector<std::string> split_at_nul(const std::string& text) {
  std::vector<std::string> items;
  for (std::size_t start = 0, end; (end = text.find('\0', start)) != std::string::npos; start = end + 1)
    items.push_back(text.substr(start, end - start));
  return items;
}

bool is_ascii(const std::string& text) {
  for (const char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

// Arguments quoted for the command line reach the run unchanged, split either
// of the two usual ways.
TEST(WindowsProcess, ARunSeesTheArgumentsItWasGiven) {
  const std::vector<std::string> given = {"plain",
                                          "",
                                          "two words",
                                          "tab\there",
                                          R"(say "hi")",
                                          R"(C:\Program Files\x)",
                                          R"(dir with space\)",
                                          R"(a\"b)",
                                          R"(")",
                                          "caf\xc3\xa9"};
  std::vector<std::string> command = {beside_tests("callbench-report-standin.exe"), "echo"};
  command.insert(command.end(), given.begin(), given.end());
  const auto result = run_process(command, ProcessLimits{});
  ASSERT_EQ(result.outcome, Outcome::Exited) << result.start_error;
  EXPECT_EQ(split_at_nul(result.out), given) << "as CommandLineToArgvW splits it";
  // The C runtime's argv is in the ANSI code page, so only ASCII compares.
  const auto runtime = split_at_nul(result.err);
  ASSERT_EQ(runtime.size(), given.size()) << "as the C runtime splits it";
  for (std::size_t i = 0; i < given.size(); ++i)
    if (is_ascii(given[i])) EXPECT_EQ(runtime[i], given[i]) << "as the C runtime splits it";
}

TEST(WindowsProcess, ACommandThatCannotStartSaysWhyInTheSystemsWords) {
  const std::string missing = beside_tests("no-such-program.exe");
  const auto result = run_process({missing}, ProcessLimits{});
  EXPECT_EQ(result.outcome, Outcome::NotStarted);
  EXPECT_EQ(result.code, static_cast<int>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(failure_reason(result, missing, ProcessLimits{}),
            "cannot start " + missing + ": " + system_message(ERROR_FILE_NOT_FOUND));
}

TEST(WindowsProcess, TheRealBenchmarkPrintsWhatTheParserAccepts) {
  const auto result = run_process({in_build_root("callbench.exe")}, ProcessLimits{});
  ASSERT_EQ(result.outcome, Outcome::Exited) << result.start_error;
  ASSERT_EQ(result.code, 0) << result.err;
  const auto parsed = parse_output(result.out);
  ASSERT_TRUE(std::holds_alternative<RunOutput>(parsed)) << describe(std::get<ParseError>(parsed));
  EXPECT_EQ(std::get<RunOutput>(parsed).sizes, (Sizes{7, 15, 13, 16}));
}

TEST(WindowsProcess, CallbenchReportExeRunsTheBenchmarkBesideItOrReadsSavedOutputs) {
  ScratchFolder scratch;
  const std::string json = scratch.file("report.json");
  // Saved outputs of the real benchmark: exact, as UTF-16 with its mark, and with
  // every bare LF turned into CR LF, as a text-mode copy would.
  const std::string exact = run_process({in_build_root("callbench.exe")}, ProcessLimits{}).out;
  std::string utf16 = "\xff\xfe", mangled;
  for (const char c : exact) utf16 += std::string{c, '\0'};
  for (std::size_t i = 0; i < exact.size(); ++i)
    mangled += exact[i] == '\n' && (i == 0 || exact[i - 1] != '\r') ? "\r\n" : std::string(1, exact[i]);
  const std::pair<const char*, const std::string*> saved[] = {
      {"exact.txt", &exact}, {"utf16.txt", &utf16}, {"mangled.txt", &mangled}};
  for (const auto& [name, bytes] : saved) std::ofstream(scratch.file(name), std::ios::binary) << *bytes;

  const struct {
    std::vector<std::string> args;
    int code;
    std::string table_start, err;
  } cases[] = {
      {{"--runs", "1"}, 0, "1 of 1 runs valid", ""},
      {{"--runs", "2", "--json", json, "--", beside_tests("callbench-report-standin.exe"), "good"},
       0,
       "2 of 2 runs valid",
       ""},
      {{"--from", scratch.file("exact.txt"), scratch.file("utf16.txt"), "--machine", "lab"},
       0,
       "2 of 2 runs valid; 2 captured outputs",
       ""},
      {{"--from", scratch.file("exact.txt"), scratch.file("mangled.txt")},
       1,
       "1 of 2 runs valid",
       "mangled.txt: line 5: expected an empty line"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> command = {in_build_root("callbench-report.exe")};
    command.insert(command.end(), c.args.begin(), c.args.end());
    ProcessLimits limits;
    limits.timeout_seconds = 120;
    const auto result = run_process(command, limits);
    ASSERT_EQ(result.outcome, Outcome::Exited) << result.start_error;
    EXPECT_EQ(result.code, c.code) << result.err;
    EXPECT_EQ(result.out.rfind(c.table_start, 0), 0u) << result.out;
    EXPECT_NE(result.err.find(c.err), std::string::npos) << result.err;
  }
  std::ifstream written(json);
  EXPECT_TRUE(written.good()) << "no JSON report";
}

}  // namespace
}  // namespace callbench
