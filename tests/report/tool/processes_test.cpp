// The runs as processes, and callbench-report as one, raced against real
// clocks, kills and signals (so this program's tests run alone): runs that
// crash, hang, flood or linger end in bounded time and memory; what a run
// leaves behind is killed and told of; a run that finished counts however late
// it is seen; any signal that ends the report stops the run in progress and
// still reports the finished ones; a reader that goes away is a failed write.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include <nlohmann/json.hpp>

#include "system/process.hpp"
#include "tool_test.h"

namespace callbench {
namespace {

namespace fs = std::filesystem;

// Reads a FIFO to its end, once a writer has come and gone.
std::string drain(int fd) {
  ::fcntl(fd, F_SETFL, 0);
  std::string text;
  char buffer[65536];
  for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) != 0;) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  return text;
}

using Processes = ToolTest;

TEST_F(Processes, RunsThatMisbehaveEndInBoundedTimeAndMemory) {
  constexpr long kMemoryBoundKib = 200 * 1024;
  struct {
    std::vector<std::string> args;
    int status;
    std::string err;
    double max_seconds;
    std::string pid_file;  // a process the run left behind, which must be gone
  } cases[] = {
      {{"--runs", "1", "--warmup", "0", "--", kStandin, "crash"},
       1,
       "run 1: killed by signal 11 (Segmentation fault)",
       5,
       ""},
      {{"--runs", "1", "--warmup", "0", "--timeout", "1", "--", kStandin, "hang"},
       1,
       "run 1: still running after the timeout of 1 s; killed",
       2,
       ""},
      {{"--runs", "2", "--warmup", "0", "--", kStandin, "endless"},
       1,
       "run 1: output larger than 65536 bytes; killed\nrun 2: output larger",
       5,
       ""},
      {{"--runs", "1", "--warmup", "0", "--timeout", "1", "--", "sh", "-c", "yes >&2"},
       1,
       "run 1: still running after the timeout of 1 s; killed",
       2,
       ""},
      {{"--runs", "1", "--warmup", "0", "--timeout", "1", "--", kStandin, "deaf", path("deaf")},
       1,
       "run 1: still running after the timeout of 1 s; killed",
       2,
       path("deaf")},
      {{"--runs", "1", "--warmup", "0", "--", kStandin, "loud"},
       1,
       "run 1: exited with status 5\n  stderr: (earlier output left out)\n"
       "  stderr: line 199997 of noise\n  stderr: line 199998 of noise\n"
       "  stderr: line 199999 of noise\n  stderr: eeeeeeeeee",
       10,
       ""},
  };
  for (const auto& c : cases) {
    const auto ended = report(c.args);
    const auto what = c.args.back();
    EXPECT_EQ(ended.status, c.status) << what << ": " << ended.err;
    EXPECT_TRUE(contains(ended.err, c.err)) << what << ": " << ended.err.substr(0, 2000);
    EXPECT_EQ(ended.out, "") << what;
    EXPECT_LT(ended.seconds, c.max_seconds) << what;
    EXPECT_LT(ended.peak_memory_kib, kMemoryBoundKib) << what;
    std::istringstream lines(ended.err);
    int stderr_lines = 0;
    for (std::string line; std::getline(lines, line);) {
      EXPECT_LT(line.size(), 200u) << what;
      stderr_lines += contains(line, "  stderr: ");
    }
    EXPECT_LE(stderr_lines, 6) << what;
    if (!c.pid_file.empty()) {
      const int left = read_pid(c.pid_file);
      ASSERT_GT(left, 0) << what;
      EXPECT_TRUE(process_gone(left)) << what << ": pid " << left << " outlived the run";
    }
  }
}

TEST_F(Processes, LeftoversAreKilledLateRunsCountAndEverySignalEndsTheRunsCleanly) {
  ProcessLimits limits;
  const std::string good_output = run_process({kStandin, "good"}, limits).out;
  std::ofstream(path("outputs.txt"), std::ios::binary) << good_output << good_output << good_output;
  std::ofstream(path("output.txt"), std::ios::binary) << good_output;
  const std::string report_file = path("report.json");
  ASSERT_EQ(report({"--runs", "2", "--json", report_file, "--", kStandin, "good"}).status, 0);
  enum Leftover { kNone, kGone, kStray };
  struct Case {
    std::string what;
    std::vector<std::string> args;
    int status;
    std::string out, err;  // parts of standard output and error
    int signal;            // sent once the second run has started
    Destination destination;
    std::string input;  // standard input, a file
    Leftover left;      // what became of the process in "left": killed, or (outside the run's group) not
  };
  const std::string stray_writer =
      "setsid sh -c 'echo $$ > \"$1\"; exec cat /dev/zero' x \"$1\" >&2 & "
      "while [ ! -s \"$1\" ]; do sleep 0.01; done; exec \"$0\" good";
  std::vector<Case> cases = {
      {"a run that leaves a process behind",
       {"--runs", "2", "--warmup", "0", "--", kStandin, "leave", path("left")},
       0,
       "2 of 2 runs valid",
       "2 runs left processes running when they ended (2 in all); they were killed",
       0,
       Destination::File,
       "",
       kGone},
      // Only what the run wrote before it ended is its output.
      {"a run that leaves a writer outside its group",
       {"--runs", "1", "--warmup", "0", "--", "sh", "-c", stray_writer, kStandin, path("left")},
       0,
       "1 of 1 runs valid",
       "",
       0,
       Destination::File,
       "",
       kStray},
      // The report is stopped (as by Ctrl+Z) until after the deadline, while the run finishes at once.
      {"a run seen only after its deadline",
       {"--runs", "1", "--warmup", "0", "--timeout", "0.5", "--", "sh", "-c",
        "kill -STOP $PPID; setsid -f sh -c 'sleep 1; kill -CONT $0' $PPID; exec \"$0\" good", kStandin},
       0,
       "1 of 1 runs valid",
       "",
       0,
       Destination::File,
       "",
       kNone},
      {"B never valid",
       {"--runs", "2", "--", kStandin, "good", "--vs", kStandin, "exit"},
       1,
       "2 of 2 runs valid",
       "B: no valid run of 2; left out of the report",
       0,
       Destination::File,
       "",
       kNone},
      {"outputs from standard input",
       {"--from", "-"},
       0,
       "3 of 3 runs valid; 3 captured outputs",
       "",
       0,
       Destination::File,
       path("outputs.txt"),
       kNone},
      {"compare into a closed pipe",
       {"compare", report_file, report_file},
       1,
       "",
       "cannot write the table: standard output: Broken pipe",
       0,
       Destination::ClosedPipe,
       "",
       kNone},
      {"saved outputs into a closed pipe",
       {"--from", path("output.txt")},
       1,
       "",
       "cannot write the table: standard output: Broken pipe",
       0,
       Destination::ClosedPipe,
       "",
       kNone},
  };
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGPWR, SIGRTMIN + 3}) {
    const std::string name = signal == SIGRTMIN + 3 ? "SIGRTMIN+3" : std::string("SIG") + sigabbrev_np(signal);
    cases.push_back({name,
                     {"--runs", "3", "--warmup", "0", "--json", report_file, "--", kStandin, "good-then-deaf",
                      path("calls"), path("left")},
                     128 + signal,
                     "interrupted by " + name,
                     "",
                     signal,
                     Destination::File,
                     "",
                     kGone});
  }
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    for (const char* file : {"calls", "left"}) fs::remove(path(file));
    Launched launched(tool(c.args, c.destination, "", c.input));
    if (c.signal) {
      ASSERT_TRUE(wait_for_file(path("left"))) << "the second run never started";
      launched.signal(c.signal);
    }
    const auto ended = launched.wait(30);
    EXPECT_EQ(ended.status, c.status) << ended.err;
    EXPECT_TRUE(contains(ended.out, c.out)) << ended.out;
    EXPECT_TRUE(contains(ended.err, c.err)) << ended.err;
    if (c.left != kNone) {
      ASSERT_TRUE(wait_for_file(path("left")));
      const int left = read_pid(path("left"));
      ASSERT_GT(left, 0);
      if (c.left == kGone) {
        EXPECT_TRUE(process_gone(left)) << "pid " << left << " outlived the run";
      }
      if (c.left == kStray) ::kill(left, SIGKILL);
    }
    if (c.signal) {
      const auto json = nlohmann::json::parse(file_text(report_file));
      EXPECT_EQ(json["series"][0]["runs"].size(), 1u);
      EXPECT_EQ(json["interrupted"]["signal"], c.what);
      EXPECT_TRUE(contains(ended.out, "1 of 3 runs valid")) << ended.out;
    }
    for (const auto& entry : fs::directory_iterator(dir_))
      EXPECT_NE(entry.path().filename().string()[0], '.') << "a temporary file was left: " << entry.path();
  }
}

// A signal while the report is being written ends the writing no sooner, and the
// exit status still says the report was interrupted.
TEST_F(Processes, ASignalDuringTheFinalWritesIsStillToldByTheExitStatus) {
  const std::string fifo = path("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  Launched launched(
      tool({"--runs", "1", "--warmup", "0", "--html", "-", "--", kStandin, "good"}, Destination::File, fifo));
  // The page is far larger than the pipe holds: once it is full, the writing is under way.
  for (int queued = 0, waited = 0; queued < 32768 && waited < 30000; ++waited) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ::ioctl(reader, FIONREAD, &queued);
  }
  launched.signal(SIGTERM);
  const std::string page = drain(reader);
  ::close(reader);
  const auto ended = launched.wait(30);
  EXPECT_EQ(ended.status, 128 + SIGTERM) << ended.err;
  EXPECT_NE(page.find("</html>"), std::string::npos) << "the page was cut short";
  EXPECT_TRUE(contains(ended.err, "1 of 1 runs valid")) << ended.err;
}

}  // namespace
}  // namespace callbench
