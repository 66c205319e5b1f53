// Runs the built callbench-report against the stand-in and the real benchmark.
// Runs that crash or hang are in processes_test.cpp, which races real clocks.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "tool_test.h"

namespace callbench {
namespace {

namespace fs = std::filesystem;

using EndToEnd = ToolTest;

TEST_F(EndToEnd, RunsAndFailures) {
  struct {
    std::vector<std::string> args;
    int status;
    std::string out;  // part of standard output; empty: no output at all
    std::string err;  // part of standard error; empty: nothing there
  } cases[] = {
      {{"--runs", "3", "--", CALLBENCH_STANDIN, "good"},
       0,
       "3 of 3 runs valid (after 1 warm-up run, not counted)",
       ""},
      {{"--runs", "2", "--", CALLBENCH_STANDIN, "noisy"}, 0, "the machine was noisy", ""},
      {{"--runs", "2", "--", CALLBENCH_STANDIN, "zero"}, 0, "6 figures of 0 or less", ""},
      {{"--runs", "2", "--", CALLBENCH_STANDIN, "exit"},
       1,
       "",
       "warm-up run 1: exited with status 3\n  stderr: stand-in: failing on purpose\nrun 1: exited"},
      {{"--runs", "1", "--warmup", "0", "--", CALLBENCH_STANDIN, "garbage"},
       1,
       "",
       R"(run 1: line 1: expected "<figure>\tmillicycles for TestNoFrameA\r\n", got "hello\x1b world\n")"},
      {{"--runs", "3", "--warmup", "0", "--", path("missing")},
       1,
       "",
       "run 1: cannot start " + path("missing") +
           ": No such file or directory\nno further runs: the command cannot be started\n"},
      {{"--runs", "3", "--warmup", "0", "--", CALLBENCH_STANDIN, "sizes", path("sizes")},
       1,
       "1 of 3 runs valid",
       R"(run 2: line 16: expected "Size no frame A: \t7\r\n" as in run 1, got "Size no frame A: \t8\r\n")"},
      {{"--runs", "4", "--warmup", "0", "--", CALLBENCH_STANDIN, "flaky", path("flaky")},
       1,
       "2 of 4 runs valid",
       "run 2: exited with status 4\n  stderr: stand-in: flaking\nrun 4: exited with status 4"},
  };
  for (const auto& c : cases) {
    const auto ran = report(c.args);
    const auto what = c.args.back();
    EXPECT_EQ(ran.status, c.status) << what;
    if (c.out.empty()) {
      EXPECT_EQ(ran.out, "") << what;
      EXPECT_TRUE(contains(ran.err, "no valid run out of")) << what << ": " << ran.err;
    } else {
      EXPECT_TRUE(contains(ran.out, c.out)) << what << ": " << ran.out;
    }
    if (c.err.empty()) {
      EXPECT_EQ(ran.err, "") << what;
    } else {
      EXPECT_TRUE(contains(ran.err, c.err)) << what << ": " << ran.err;
    }
  }
}

TEST_F(EndToEnd, JsonHoldsEveryFigureOfTheValidRuns) {
  const auto file = path("report.json");
  const auto ran =
      report({"--runs", "4", "--warmup", "0", "--json", file, "--", CALLBENCH_STANDIN, "flaky", path("flaky")});
  EXPECT_EQ(ran.status, 1);
  const auto json = nlohmann::json::parse(std::ifstream(file));
  EXPECT_EQ(json["format_version"], 4);
  const auto& series = json["series"][0];
  ASSERT_EQ(series["runs"].size(), 2u);
  EXPECT_EQ(series["runs"][1]["run"], 3);
  const auto& sweeps = series["runs"][1]["sweeps"];
  ASSERT_EQ(sweeps.size(), 3u);
  EXPECT_EQ(sweeps[2], nlohmann::json::parse(
                           R"({"TestNoFrameA":1020,"TestNoFrameB":1120,"TheOne":920,"TestWithFrame":1520})"));
  EXPECT_EQ(series["failed_runs"][0]["reason"], "exited with status 4");
  EXPECT_EQ(series["sizes"]["TestNoFrameB"], 15);
  EXPECT_EQ(series["analysis"]["procedures"]["TheOne"]["min"], 900);
  EXPECT_EQ(series["analysis"]["procedures"]["TheOne"]["valid"], 6);
  EXPECT_EQ(series["command"].back(), path("flaky"));
  EXPECT_TRUE(series["analysis"]["median_wall_seconds"].is_number());
  EXPECT_FALSE(series["conditions"]["processor"]["brand"].get<std::string>().empty());
  const auto& identity = series["conditions"]["processor"]["identity"];
  EXPECT_TRUE(identity["family"].is_number_integer() && identity["microarchitecture"].is_string()) << identity;

  // Only the counter and the report: no temporary file left behind.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);
}

TEST_F(EndToEnd, FailedWarmUpRunsAreCountedApartFromTheRunsAsked) {
  std::ofstream(path("flaky")) << 1;  // the warm-up run is the first to fail
  const auto ran = report({"--runs", "3", "--", CALLBENCH_STANDIN, "flaky", path("flaky")});
  EXPECT_EQ(ran.status, 1);
  EXPECT_TRUE(contains(ran.err, "warm-up run 1: exited with status 4")) << ran.err;
  EXPECT_TRUE(contains(ran.err, "1 of 3 runs and 1 warm-up run failed")) << ran.err;
  EXPECT_TRUE(contains(ran.out, "2 of 3 runs valid")) << ran.out;
}

TEST_F(EndToEnd, NoJsonWithoutAValidRun) {
  const auto ran = report({"--runs", "1", "--json", path("report.json"), "--", CALLBENCH_STANDIN, "exit"});
  EXPECT_EQ(ran.status, 1);
  EXPECT_FALSE(fs::exists(path("report.json")));
}

TEST_F(EndToEnd, BrokenReportFilesAreRefusedBeforeAnyRun) {
  const auto base = path("base.json");
  ASSERT_EQ(report({"--runs", "2", "--json", base, "--", CALLBENCH_STANDIN, "good"}).status, 0);
  auto json = nlohmann::json::parse(std::ifstream(base));
  // nullptr stands for a file that is not JSON at all.
  const auto write = [&](const std::string& name, const nlohmann::json& changed) {
    std::ofstream(path(name)) << (changed.is_null() ? "min 900" : changed.dump());
    return path(name);
  };
  auto lacking = json;
  lacking["series"][0]["runs"][1]["sweeps"][2].erase("TheOne");
  auto wordy = json;
  wordy["series"][0]["runs"][0]["sweeps"][0]["TheOne"] = "fast";
  auto newer = json;
  newer["format_version"] = 99;
  // Nesting that a parser which recurses would crash on, before a key that moves it.
  std::ofstream(path("deep.json")) << "{\"a\":" + std::string(200000, '[') + std::string(200000, ']') +
                                          ",\"b\":1}";
  struct {
    std::string file;
    std::string problem;
  } broken[] = {
      {path("missing.json"), "No such file or directory"},
      {write("text.json", nullptr), "not JSON: "},
      {write("list.json", nlohmann::json::array({1, 2})), "expected a JSON object"},
      {write("lacking.json", lacking), "series[0].runs[1].sweeps[2]: lacks \"TheOne\""},
      {write("wordy.json", wordy), "series[0].runs[0].sweeps[0].TheOne: expected a whole number"},
      {write("newer.json", newer), "format version 99 is newer than this callbench-report reads (4)"},
      {path("deep.json"), "nested deeper than 64 levels; is it a file written by callbench-report --json?"},
  };
  for (const auto& b : broken) {
    for (const auto& args :
         {std::vector<std::string>{"--baseline", b.file, "--", CALLBENCH_STANDIN, "sizes", path("ran")},
          std::vector<std::string>{"compare", base, b.file}}) {
      const auto ran = report(args);
      EXPECT_EQ(ran.status, 2) << b.file;
      EXPECT_TRUE(contains(ran.err, b.file + ": " + b.problem)) << ran.err;
    }
    EXPECT_FALSE(fs::exists(path("ran"))) << "ran the benchmark despite a broken baseline";
  }
}

TEST_F(EndToEnd, TheRealProgramsTableAndJsonHaveTheirShape) {
  const std::string program = CALLBENCH_LINUX_PROGRAM;
  ASSERT_TRUE(fs::exists(program)) << program << " is missing; build the linux-i386 preset first";
  const auto file = path("real.json");
  const auto ran = report({"--runs", "2", "--json", file, "--", program});
  ASSERT_EQ(ran.status, 0) << ran.err;
  EXPECT_EQ(ran.out.rfind("2 of 2 runs valid (after 1 warm-up run, not counted); " + program + "\n", 0), 0u)
      << ran.out;
  const char* names[] = {"TestNoFrameA", "TestNoFrameB", "TheOne", "TestWithFrame"};
  const char* sizes[] = {"7", "15", "13", "16"};
  for (int i = 0; i < 4; ++i) {
    const auto cells = table_row(ran.out, "each procedure's figures", names[i]);
    ASSERT_GE(cells.size(), 7u) << ran.out;
    EXPECT_EQ(cells[1], sizes[i]);
  }
  EXPECT_TRUE(contains(ran.out, "\nagainst TheOne, run by run\n")) << ran.out;
  EXPECT_TRUE(contains(ran.out, "\ncore clocks per counter tick: ")) << ran.out;
  EXPECT_TRUE(contains(ran.out, "\nprocessor identity: ")) << ran.out;

  const auto json = nlohmann::json::parse(std::ifstream(file));
  const auto& series = json["series"][0];
  ASSERT_EQ(series["runs"].size(), 2u);
  for (const auto& run : series["runs"]) {
    ASSERT_EQ(run["sweeps"].size(), 3u);
    for (const auto& sweep : run["sweeps"])
      for (const auto* name : names) EXPECT_TRUE(sweep[name].is_number_integer()) << sweep;
  }
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(series["sizes"][names[i]], std::stoi(sizes[i]));
    const auto& a = series["analysis"]["procedures"][names[i]];
    EXPECT_EQ(a["valid"].get<int>() + a["disturbed"].get<int>(), 6) << names[i];
  }
  EXPECT_EQ(series["command"], nlohmann::json::array({program}));
  EXPECT_EQ(series["benchmark"]["sha256"].get<std::string>().size(), 64u);
}

}  // namespace
}  // namespace callbench
