// Runs the built callbench-report against the stand-in and the real benchmark.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "run/process.hpp"

namespace callbench {
namespace {

namespace fs = std::filesystem;

struct Ran {
  int status = -1;
  std::string out, err;
};

Ran report(std::vector<std::string> args) {
  args.insert(args.begin(), CALLBENCH_REPORT);
  ProcessLimits limits;
  limits.timeout_seconds = 120;
  const auto result = run_process(args, limits);
  EXPECT_EQ(result.outcome, ProcessResult::Outcome::Exited) << result.err;
  return {result.code, result.out, result.err};
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("callbench-report-test-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  fs::path dir_;
};

TEST_F(EndToEnd, RunsAndFailures) {
  struct {
    std::vector<std::string> args;
    int status;
    std::string out;  // part of standard output; empty: no output at all
    std::string err;  // part of standard error; empty: nothing there
  } cases[] = {
      {{"--runs", "3", "--", CALLBENCH_STANDIN, "good"}, 0, "3 of 3 runs valid, 9 figures", ""},
      {{"--runs", "2", "--", CALLBENCH_STANDIN, "noisy"}, 0, "the machine was noisy", ""},
      {{"--runs", "1", "--", CALLBENCH_STANDIN, "zero"}, 0, "n/a", ""},
      {{"--runs", "2", "--", CALLBENCH_STANDIN, "exit"}, 1, "",
       "run 1: exited with status 3\n  stderr: stand-in: failing on purpose\nrun 2: exited"},
      {{"--runs", "1", "--", CALLBENCH_STANDIN, "crash"}, 1, "",
       "run 1: killed by signal 11 (Segmentation fault)"},
      {{"--runs", "1", "--timeout", "1", "--", CALLBENCH_STANDIN, "hang"}, 1, "",
       "run 1: still running after the timeout of 1 s; killed"},
      {{"--runs", "1", "--", CALLBENCH_STANDIN, "garbage"}, 1, "",
       R"(run 1: line 1: expected "<figure>\tmillicycles for TestNoFrameA\r\n", got "hello\x1b world\n")"},
      {{"--runs", "3", "--", path("missing")}, 1, "",
       "run 1: cannot start " + path("missing") +
           ": No such file or directory\nno further runs: the command cannot be started\n"},
      {{"--runs", "3", "--", CALLBENCH_STANDIN, "sizes", path("sizes")}, 1, "1 of 3 runs valid",
       R"(run 2: line 16: expected "Size no frame A: \t7\r\n" as in run 1, got "Size no frame A: \t8\r\n")"},
      {{"--runs", "4", "--", CALLBENCH_STANDIN, "flaky", path("flaky")}, 1, "2 of 4 runs valid",
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
      report({"--runs", "4", "--json", file, "--", CALLBENCH_STANDIN, "flaky", path("flaky")});
  EXPECT_EQ(ran.status, 1);
  const auto json = nlohmann::json::parse(std::ifstream(file));

  ASSERT_EQ(json["runs"].size(), 2u);
  EXPECT_EQ(json["runs"][1]["run"], 3);
  const auto& sweeps = json["runs"][1]["sweeps"];
  ASSERT_EQ(sweeps.size(), 3u);
  EXPECT_EQ(sweeps[2], nlohmann::json::parse(
                           R"({"TestNoFrameA":1020,"TestNoFrameB":1120,"TheOne":920,"TestWithFrame":1520})"));
  EXPECT_EQ(json["failed_runs"][0]["reason"], "exited with status 4");
  EXPECT_EQ(json["sizes"]["TestNoFrameB"], 15);
  EXPECT_EQ(json["aggregates"]["TheOne"]["min"], 900);
  EXPECT_EQ(json["aggregates"]["TheOne"]["figures"], 6);
  EXPECT_EQ(json["command"].back(), path("flaky"));
  EXPECT_TRUE(json["median_wall_seconds"].is_number());
  EXPECT_TRUE(json["machine"]["line"].is_string());

  // Only the counter and the report: no temporary file left behind.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);
}

TEST_F(EndToEnd, NoJsonWithoutAValidRun) {
  const auto ran = report({"--runs", "1", "--json", path("report.json"), "--", CALLBENCH_STANDIN, "exit"});
  EXPECT_EQ(ran.status, 1);
  EXPECT_FALSE(fs::exists(path("report.json")));
}

TEST_F(EndToEnd, Baseline) {
  const auto base = path("base.json");
  ASSERT_EQ(report({"--runs", "1", "--json", base, "--", CALLBENCH_STANDIN, "good"}).status, 0);
  const auto compared = report({"--runs", "1", "--baseline", base, "--", CALLBENCH_STANDIN, "good"});
  EXPECT_EQ(compared.status, 0) << compared.err;
  EXPECT_TRUE(contains(compared.out, "min change  median change")) << compared.out;
  EXPECT_TRUE(contains(compared.out, "+0.0%")) << compared.out;
  EXPECT_TRUE(contains(compared.out, "baseline: " + base)) << compared.out;

  auto json = nlohmann::json::parse(std::ifstream(base));
  const auto write = [&](const std::string& name, const std::string& text) {
    std::ofstream(path(name)) << text;
    return path(name);
  };
  json["aggregates"].erase("TheOne");
  const auto lacking = write("lacking.json", json.dump());
  json["aggregates"]["TheOne"] = {{"min", "fast"}, {"median", 1}};
  const auto wordy = write("wordy.json", json.dump());
  struct {
    std::string file;
    std::string problem;
  } broken[] = {
      {path("missing.json"), "No such file or directory"},
      {write("text.json", "min 900\n"), "not JSON: "},
      {write("list.json", "[1, 2]"), "no \"aggregates\" object"},
      {lacking, "lacks procedure TheOne"},
      {wordy, "TheOne has no number \"min\""},
  };
  for (const auto& b : broken) {
    const auto ran = report({"--baseline", b.file, "--", CALLBENCH_STANDIN, "sizes", path("ran")});
    EXPECT_EQ(ran.status, 2) << b.file;
    EXPECT_TRUE(contains(ran.err, "baseline " + b.file + ": " + b.problem)) << ran.err;
    EXPECT_FALSE(fs::exists(path("ran"))) << "ran the benchmark despite a broken baseline";
  }
}

TEST(RealProgram, TableAndJsonHaveTheirShape) {
  const std::string program = CALLBENCH_LINUX_PROGRAM;
  ASSERT_TRUE(fs::exists(program)) << program << " is missing; build the linux-i386 preset first";
  const auto file = fs::temp_directory_path() / ("callbench-report-real-" + std::to_string(::getpid()) + ".json");
  const auto ran = report({"--runs", "2", "--json", file.string(), "--", program});
  ASSERT_EQ(ran.status, 0) << ran.err;

  std::istringstream out(ran.out);
  std::vector<std::string> lines;
  for (std::string line; std::getline(out, line);) lines.push_back(line);
  ASSERT_GE(lines.size(), 10u) << ran.out;
  EXPECT_EQ(lines[0], "2 of 2 runs valid, 6 figures per procedure, in millicycles per call");
  EXPECT_EQ(lines[2].rfind("procedure  ", 0), 0u) << lines[2];
  const char* names[] = {"TestNoFrameA", "TestNoFrameB", "TheOne", "TestWithFrame"};
  for (int i = 0; i < 4; ++i) {
    std::istringstream row(lines[3 + i]);
    std::vector<std::string> cells;
    for (std::string cell; row >> cell;) cells.push_back(cell);
    ASSERT_EQ(cells.size(), 9u) << lines[3 + i];
    EXPECT_EQ(cells[0], names[i]);
    EXPECT_EQ(cells[2], "6");
  }
  EXPECT_EQ(lines[8].rfind("median wall time of a run: ", 0), 0u) << lines[8];
  EXPECT_EQ(lines[9].rfind("machine: ", 0), 0u) << lines[9];

  const auto json = nlohmann::json::parse(std::ifstream(file));
  fs::remove(file);
  ASSERT_EQ(json["runs"].size(), 2u);
  for (const auto& run : json["runs"]) {
    ASSERT_EQ(run["sweeps"].size(), 3u);
    for (const auto& sweep : run["sweeps"])
      for (const auto* name : names) EXPECT_TRUE(sweep[name].is_number_integer()) << sweep;
  }
  for (const auto* name : names) {
    EXPECT_GT(json["sizes"][name], 0) << name;
    const auto& a = json["aggregates"][name];
    EXPECT_EQ(a["figures"], 6) << name;
    EXPECT_LE(a["min"].get<double>(), a["median"].get<double>()) << name;
    EXPECT_LE(a["median"].get<double>(), a["max"].get<double>()) << name;
  }
  EXPECT_EQ(json["command"], nlohmann::json::array({program}));
}

}  // namespace
}  // namespace callbench
