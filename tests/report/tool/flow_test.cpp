// callbench-report end to end with stand-ins whose figures are known: verdicts,
// warm-up and precision targets, interleaved commands, baselines, `compare`,
// exports, and outputs captured elsewhere.
#include <nlohmann/json.hpp>

#include "system/process.hpp"
#include "tool_test.h"

namespace callbench {
namespace {

namespace fs = std::filesystem;
using Flow = ToolTest;
const std::string kPaired = "against TheOne, run by run";

TEST_F(Flow, PairedVerdictsFollowTheKnownFactors) {
  struct {
    std::vector<std::string> args;
    std::string procedure, ratio, verdict;
  } cases[] = {
      {{"factor", "1500"}, "TestNoFrameA", "1.5009 [1.5003, 1.5015]", "slower"},
      {{"factor", "600"}, "TestNoFrameA", "0.6005 [0.6001, 0.6009]", "faster"},
      {{"factor", "1500"}, "TestNoFrameB", "0.999 [0.998, 1.000]", "equivalent"},
      {{"factor", "1005"}, "TestNoFrameA", "1.0057 [1.0052, 1.0062]", "equivalent"},
      {{"--noise-threshold", "0.001", "factor", "1005"}, "TestNoFrameA", "1.0057 [1.0052, 1.0062]", "slower"},
      {{"even"}, "TestWithFrame", "", "equivalent"},
  };
  int counter = 0;
  for (const auto& c : cases) {
    std::vector<std::string> args = {"--runs", "6"};
    auto mode = c.args;
    if (mode.front() == "--noise-threshold") {
      args.insert(args.end(), mode.begin(), mode.begin() + 2);
      mode.erase(mode.begin(), mode.begin() + 2);
    }
    args.insert(args.end(), {"--", kStandin, mode.front(), path("calls" + std::to_string(counter++))});
    args.insert(args.end(), mode.begin() + 1, mode.end());
    const auto ran = report(args);
    ASSERT_EQ(ran.status, 0) << ran.err;
    const auto row = table_row(ran.out, kPaired, c.procedure);
    ASSERT_EQ(row.size(), 6u) << ran.out;
    if (!c.ratio.empty()) {
      EXPECT_EQ(row[1], c.ratio) << ran.out;
    }
    EXPECT_TRUE(contains(row[3], " of 18 sweeps")) << ran.out;
    EXPECT_EQ(row[5], c.verdict) << ran.out;
  }
}

TEST_F(Flow, DisturbedFiguresAreCountedKeptAndLeftOut) {
  const auto ran = report({"--runs", "2", "--json", path("r.json"), "--", kStandin, "zero"});
  ASSERT_EQ(ran.status, 0) << ran.err;
  const auto figures = table_row(ran.out, "each procedure's figures", "TheOne");
  ASSERT_GE(figures.size(), 8u) << ran.out;
  EXPECT_EQ(figures[2], "n/a");  // no valid median
  EXPECT_EQ(figures[4], "n/a");  // nor minimum
  EXPECT_EQ(figures[6], "6");
  // The runs are there; what they lack is undisturbed figures of TheOne.
  EXPECT_EQ(table_row(ran.out, kPaired, "TestNoFrameA").back(),
            "inconclusive (needs at least 2 runs with undisturbed figures)")
      << ran.out;
  EXPECT_EQ(table_row(ran.out, "each procedure's figures", "TestNoFrameA")[4], "1000") << ran.out;
  const auto json = nlohmann::json::parse(file_text(path("r.json")));
  EXPECT_EQ(json["series"][0]["runs"][0]["sweeps"][0]["TheOne"], 0);
  EXPECT_EQ(json["series"][0]["analysis"]["procedures"]["TheOne"]["disturbed"], 6);

  const auto again = report({"--runs", "3", "--baseline", path("r.json"), "--", kStandin, "zero"});
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(table_row(again.out, "new against baseline", "TheOne").back(),
            "inconclusive (needs at least 2 runs each with undisturbed figures)")
      << again.out;
  const auto one = report({"--runs", "1", "--baseline", path("r.json"), "--", kStandin, "good"});
  EXPECT_EQ(table_row(one.out, "new against baseline", "TestNoFrameA").back(),
            "inconclusive (needs at least 2 runs each)")
      << one.out;
}

TEST_F(Flow, WarmUpAndPrecisionDecideHowManyRunsAreMade) {
  struct {
    std::vector<std::string> args;
    std::string mode;
    int calls;  // warm-up included
    std::string line;
  } cases[] = {
      // Whole numbers are decimal, leading zeros and all.
      {{"--warmup", "02", "--runs", "010"},
       "even",
       12,
       "10 of 10 runs valid (after 2 warm-up runs, not counted)"},
      {{"--warmup", "0", "--runs", "2"}, "even", 2, "2 of 2 runs valid;"},
      {{"--precision", "0.01", "--runs", "3", "--max-runs", "30"},
       "factor",
       4,
       "precision target +/-1.0% reached after 3 runs"},
      {{"--precision", "0.01", "--runs", "2", "--max-runs", "08"},
       "erratic",
       9,
       "precision target +/-1.0% NOT reached after 8 runs"},
      // One run has no interval: how wide the widest is cannot be told.
      {{"--precision", "0.01", "--runs", "1", "--max-runs", "1"},
       "even",
       2,
       "precision target +/-1.0% NOT reached after 1 run (no interval could be told)"},
      {{"--precision", "0.01", "--runs", "3", "--max-runs", "3"},
       "erratic",
       4,
       "precision target +/-1.0% NOT reached after 3 runs"},
      // More runs than the default --max-runs, which was not given.
      {{"--precision", "0.5", "--runs", "101"}, "even", 102, "101 of 101 runs valid"},
  };
  for (const auto& c : cases) {
    fs::remove(path("calls"));
    auto args = c.args;
    args.insert(args.end(), {"--", kStandin, c.mode, path("calls"), "1500"});
    const auto ran = report(args);
    EXPECT_EQ(ran.status, 0) << ran.err;
    EXPECT_TRUE(contains(ran.out, c.line)) << ran.out;
    EXPECT_EQ(file_text(path("calls")), std::to_string(c.calls)) << c.line;
  }
}

TEST_F(Flow, InterleavedCommandsAlternateAndAreComparedPairByPair) {
  const auto ran = report({"--runs", "3", "--json", path("ab.json"), "--", kStandin, "log", path("log"), "A",
                           "--vs", kStandin, "log", path("log"), "B"});
  ASSERT_EQ(ran.status, 0) << ran.err;
  const std::string log = file_text(path("log"));
  ASSERT_EQ(log.size(), 16u) << log;
  for (std::size_t pair = 0; pair < 4; ++pair)
    EXPECT_TRUE(log.substr(4 * pair, 4) == "A\nB\n" || log.substr(4 * pair, 4) == "B\nA\n") << log;
  const auto row = table_row(ran.out, "A against B", "TestWithFrame");
  ASSERT_EQ(row.size(), 6u) << ran.out;
  // Every run and every sweep of both alike: nothing to tell a precision from.
  EXPECT_EQ(row[3], "+0.0% [+0.0%, +0.0%]");
  EXPECT_EQ(row[4], "1.000");
  EXPECT_EQ(row[5], "inconclusive (the pairs agree exactly, and their sweeps too: no scatter to judge by)");
  const auto json = nlohmann::json::parse(file_text(path("ab.json")));
  EXPECT_EQ(json["comparison"]["method"], "paired");
  EXPECT_EQ(json["comparison"]["pairs"], 3);
  EXPECT_EQ(json["series"].size(), 2u);
  for (std::size_t run = 0; run < 3; ++run) {
    const int a = json["series"][0]["runs"][run]["sequence"], b = json["series"][1]["runs"][run]["sequence"];
    EXPECT_EQ(std::abs(a - b), 1) << "the two runs of a pair follow each other";
    EXPECT_EQ(log.substr(2 * (std::min(a, b) - 1), 1), a < b ? "A" : "B")
        << "the sequence says which came first";
  }

  // Twice the cost on one side, in every run: both significant and beyond the threshold. The
  // pairs agree far better than their sweeps, which the stand-in moves in step on both sides (no
  // machine does): the interval is held to what the sweeps' scatter allows, and TheOne's as well.
  const auto twice = report({"--runs", "8", "--", kStandin, "factor", path("a"), "1000", "--vs", kStandin,
                             "factor", path("b"), "2000"});
  ASSERT_EQ(twice.status, 0) << twice.err;
  const auto faster = table_row(twice.out, "A against B", "TestNoFrameA");
  ASSERT_EQ(faster.size(), 6u) << twice.out;
  EXPECT_EQ(faster[3], "-50% [-59%, -39%]");
  EXPECT_EQ(faster[5], "faster");
  EXPECT_EQ(table_row(twice.out, "A against B", "TheOne").back().rfind("inconclusive (resolves +/-22%", 0), 0u)
      << twice.out;
}

// A side of --vs without a valid run is left out; the other keeps its name in
// the table, the file and the exports, read back as well: its figures never
// join the history of the side that failed.
TEST_F(Flow, TheSideLeftOfAFailedPairKeepsItsName) {
  for (const auto& [a, b, kept, left] :
       std::vector<std::array<std::string, 4>>{{"exit", "good", "B", "A"}, {"good", "exit", "A", "B"}}) {
    const auto file = path(kept + ".json");
    const auto ran = report({"--runs", "2", "--label", "lab", "--json", file, "--bmf", path(kept + ".bmf"),
                             "--", kStandin, a, "--vs", kStandin, b});
    EXPECT_EQ(ran.status, 1) << ran.err;
    EXPECT_TRUE(contains(ran.err, left + ": no valid run of 2; left out of the report")) << ran.err;
    EXPECT_TRUE(contains(ran.out, left + ": no valid run, so left out; " + kept + " alone")) << ran.out;
    EXPECT_EQ(table_row(ran.out, kept + ": each procedure's figures", "TestNoFrameA").at(2),
              "1010 [1010, 1010]")
        << ran.out;
    const auto json = nlohmann::json::parse(file_text(file));
    ASSERT_EQ(json["series"].size(), 1u);
    EXPECT_EQ(json["series"][0]["name"], kept);
    EXPECT_EQ(json["series"][0]["command"].back(), "good");
    EXPECT_TRUE(nlohmann::json::parse(file_text(path(kept + ".bmf"))).contains(kept + "/TestNoFrameA"));
    const auto bmf = nlohmann::json::parse(report({"compare", file, "--bmf", "-"}).out);
    EXPECT_TRUE(bmf.contains("lab/" + kept + "/TestNoFrameA")) << bmf.dump();
  }
}

TEST_F(Flow, ThePairOrderIsBalancedFreshForEachReportAndMadeAgainFromItsSeed) {
  // The order of the counted pairs, "AB" or "BA" each, and the seed the report recorded.
  const auto made = [&](const std::vector<std::string>& seed) {
    fs::remove(path("log"));
    auto args = seed;
    args.insert(args.end(), {"--runs", "6", "--warmup", "0", "--json", path("order.json"), "--", kStandin,
                             "log", path("log"), "A", "--vs", kStandin, "log", path("log"), "B"});
    const auto ran = report(args);
    EXPECT_EQ(ran.status, 0) << ran.err;
    std::string order;
    for (const char c : file_text(path("log")))
      if (c != '\n') order += c;
    const auto json = nlohmann::json::parse(file_text(path("order.json")));
    return std::make_pair(order, json["settings"]["seed"].get<std::uint64_t>());
  };
  const auto fresh = made({}), other = made({});
  EXPECT_NE(fresh.second, other.second) << "each report draws its own seed";
  for (const auto& [order, seed] : {fresh, other}) {
    ASSERT_EQ(order.size(), 12u) << order;
    int b_first = 0;
    for (std::size_t pair = 0; pair < 6; ++pair) b_first += order[2 * pair] == 'B';
    EXPECT_EQ(b_first, 3) << order;
    EXPECT_EQ(made({"--seed", std::to_string(seed)}).first, order) << "the recorded seed makes the order again";
  }
  const auto one = made({"--seed", "1"}), two = made({"--seed", "2"});
  EXPECT_EQ(one.second, 1u);
  EXPECT_NE(one.first, two.first) << "another seed, another order";
}

TEST_F(Flow, BaselinesAndCompareShowTheirSourcesAndWarnOfMismatches) {
  ASSERT_EQ(report({"--runs", "3", "--seed", "010", "--label", "first", "--json", path("one.json"), "--",
                    kStandin, "good"})
                .status,
            0);
  EXPECT_EQ(nlohmann::json::parse(file_text(path("one.json")))["settings"]["seed"], 10);
  ASSERT_EQ(report({"--runs", "4", "--json", path("two.json"), "--", kStandin, "good"}).status, 0);
  auto other = nlohmann::json::parse(file_text(path("two.json")));
  other["series"][0]["conditions"]["processor"]["brand"] = "Some Other CPU";
  other["series"][0]["conditions"]["checks"] =
      nlohmann::json::array({{{"key", "governor"},
                              {"title", "frequency governor"},
                              {"value", "powersave on 0-3"},
                              {"status", "not fit"},
                              {"advice", "cpupower frequency-set -g performance"}}});
  std::ofstream(path("other.json")) << other.dump();

  const auto baseline = report({"--runs", "3", "--baseline", path("one.json"), "--", kStandin, "good"});
  ASSERT_EQ(baseline.status, 0) << baseline.err;
  EXPECT_TRUE(contains(baseline.out,
                       "baseline: first: " + path("one.json") + ": 3 runs of " + kStandin + " good, reported "))
      << baseline.out;
  // Runs of one unchanging output: no scatter, so no claim either way.
  const std::string unchanging =
      "inconclusive (the runs each agree exactly, and their sweeps too: no scatter to judge by)";
  EXPECT_EQ(table_row(baseline.out, "new against baseline", "TheOne").back(), unchanging) << baseline.out;
  EXPECT_TRUE(contains(baseline.out, "were measured at different times")) << baseline.out;
  EXPECT_FALSE(contains(baseline.out, "warning: the ")) << baseline.out;

  const auto two = report({"compare", path("one.json"), path("other.json")});
  ASSERT_EQ(two.status, 0) << two.err;
  EXPECT_TRUE(contains(two.out, "[1] first: " + path("one.json") + ": 3 runs of ")) << two.out;
  EXPECT_TRUE(contains(two.out, "warning: the processors differ: ")) << two.out;
  EXPECT_TRUE(
      contains(two.out, "warning: [2]: not fit to measure: frequency governor powersave on 0-3; cpupower"))
      << two.out;
  const auto row = table_row(two.out, "[1] against [2]", "TheOne");
  ASSERT_EQ(row.size(), 6u) << two.out;
  EXPECT_EQ(row[5], unchanging);

  // The combined report is one file that compare reads again, series and verdicts kept.
  ASSERT_EQ(report({"compare", path("one.json"), path("other.json"), "--json", path("both.json")}).status, 0);
  const auto again = report({"compare", path("both.json")});
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_TRUE(contains(again.out, "[1] first: " + path("both.json") + ": 3 runs of ")) << again.out;
  EXPECT_EQ(table_row(again.out, "[1] against [2]", "TheOne"), row) << again.out;

  // One label from two processors that only their identities tell apart:
  // every such pair is warned of, the first series' and the others'.
  const auto with_identity = [&](const std::string& name, const char* signature, int model, const char* uarch) {
    auto json = nlohmann::json::parse(file_text(path("one.json")));
    json["series"][0]["conditions"]["processor"]["identity"] = {{"vendor", "AuthenticAMD"},
                                                                {"signature", signature},
                                                                {"family", 25},
                                                                {"model", model},
                                                                {"stepping", 1},
                                                                {"microcode", nullptr},
                                                                {"microarchitecture", uarch}};
    std::ofstream(path(name)) << json.dump();
  };
  with_identity("zen4.json", "0xa10f11", 17, "Zen 4");
  with_identity("zen3.json", "0xa00f11", 1, "Zen 3");
  const auto alike = report({"compare", path("zen4.json"), path("zen3.json"), path("zen4.json")});
  ASSERT_EQ(alike.status, 0) << alike.err;
  const auto line_start = alike.out.find("[2] first: " + path("zen3.json") + ": 3 runs of ");
  ASSERT_NE(line_start, std::string::npos) << alike.out;
  const std::string line = alike.out.substr(line_start, alike.out.find('\n', line_start) - line_start);
  EXPECT_EQ(line.substr(line.size() - 8), " (Zen 3)") << "the microarchitecture names the series: " << line;
  const std::string apart = ", which does not tell them apart";
  EXPECT_TRUE(contains(alike.out,
                       "warning: the processors differ: Zen 4, AMD family 25 (0x19) model 17 (0x11) "
                       "stepping 1, microcode unknown ([1]) and Zen 3, AMD family 25 (0x19) model 1 "
                       "(0x01) stepping 1, microcode unknown ([2]); both go by \"first\"" +
                           apart))
      << alike.out;
  EXPECT_TRUE(contains(alike.out,
                       "microcode unknown ([2]) and Zen 4, AMD family 25 (0x19) model 17 (0x11) "
                       "stepping 1, microcode unknown ([3]); both go by \"first\"" +
                           apart))
      << alike.out;
  std::size_t warned = 0;
  for (auto at = alike.out.find(apart); at != std::string::npos; at = alike.out.find(apart, at + 1)) ++warned;
  EXPECT_EQ(warned, 2u) << "[1] and [3] are one processor: " << alike.out;

  const auto three = report({"compare", path("one.json"), path("two.json"), path("one.json")});
  ASSERT_EQ(three.status, 0) << three.err;
  EXPECT_FALSE(contains(three.out, "[1] against")) << three.out;
  EXPECT_EQ(table_row(three.out, "medians [95% CI]", "[3]").size(), 5u) << three.out;
  EXPECT_TRUE(contains(three.out, "\nnote: [1] and [3] are one report's runs, read twice\n")) << three.out;
  // Told once for every copy, not for every pair of them.
  const auto thrice =
      report({"compare", path("one.json"), path("one.json"), path("two.json"), path("one.json")});
  EXPECT_TRUE(contains(thrice.out, "\nnote: [1], [2] and [4] are one report's runs, read 3 times\n"))
      << thrice.out;
  EXPECT_EQ(thrice.out.find("runs, read"), thrice.out.rfind("runs, read")) << thrice.out;

  // A report and itself, or a copy of it: the same runs, which nothing can compare.
  fs::copy_file(path("one.json"), path("copy.json"));
  for (const auto& second : {path("one.json"), path("copy.json")}) {
    const auto itself = report({"compare", path("one.json"), second});
    ASSERT_EQ(itself.status, 0) << itself.err;
    EXPECT_TRUE(contains(itself.out, "\nnote: [1] and [2] are one report's runs, read twice: not compared\n"))
        << itself.out;
    EXPECT_FALSE(contains(itself.out, "[1] against [2]")) << itself.out;
    EXPECT_FALSE(contains(itself.out, "were measured at different times")) << itself.out;
  }
}

TEST_F(Flow, ANoiseThresholdOfZeroIsTakenByEveryFlow) {
  // 0 claims any difference the data show: no number of runs resolves it, and nothing may be lost to that.
  ProcessLimits limits;
  for (const char* name : {"run1.txt", "run2.txt", "run3.txt"})
    std::ofstream(path(name), std::ios::binary) << run_process({kStandin, "even", path("saved")}, limits).out;
  const std::vector<std::string> even = {kStandin, "even", path("calls")};
  struct {
    std::string name;
    std::vector<std::string> args;
    std::string section;
  } cases[] = {
      {"runs", {"--runs", "3", "--", even[0], even[1], even[2]}, kPaired},
      {"vs",
       {"--runs", "3", "--", even[0], even[1], even[2], "--vs", even[0], even[1], even[2]},
       "A against B"},
      {"precision",
       {"--precision", "0.05", "--runs", "3", "--max-runs", "4", "--", even[0], even[1], even[2]},
       kPaired},
      {"from", {"--from", path("run1.txt"), path("run2.txt"), path("run3.txt")}, kPaired},
      {"baseline",
       {"--runs", "3", "--baseline", path("runs.json"), "--", even[0], even[1], even[2]},
       "new against baseline"},
      {"compare", {"compare", path("runs.json"), path("from.json")}, "[1] against [2]"},
  };
  for (const auto& c : cases) {
    auto args = c.args;
    args.insert(c.name == "compare" ? args.begin() + 1 : args.begin(),
                {"--noise-threshold", "0", "--json", path(c.name + ".json")});
    const auto ran = report(args);
    EXPECT_EQ(ran.status, 0) << c.name << ": " << ran.err;
    EXPECT_EQ(table_row(ran.out, c.section, "TestWithFrame").size(), 6u) << c.name << ": " << ran.out;
    ASSERT_TRUE(fs::exists(path(c.name + ".json"))) << c.name;
    const auto json = nlohmann::json::parse(file_text(path(c.name + ".json")));
    EXPECT_EQ(json["settings"]["noise_threshold"], 0.0) << c.name;
  }
}

TEST_F(Flow, ComparePoolsTheReportsOfEachMachine) {
  for (const auto& [file, label] : {std::pair<std::string, std::string>{"a1.json", "box"},
                                    {"b.json", "other box"},
                                    {"a2.json", "box"},
                                    {"a3.json", "box"}}) {
    const auto made = report({"--runs", "4", "--label", label, "--json", path(file), "--", kStandin, "even",
                              path("calls" + file), "1000"});
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_TRUE(contains(made.out, "every interval is about the machine while these runs were made"))
        << made.out;
  }
  const auto pooled = report({"compare", "--pool", path("a1.json"), path("b.json"), path("a2.json"),
                              path("a3.json"), "--json", path("pooled.json"), "--markdown", path("pooled.md")});
  ASSERT_EQ(pooled.status, 0) << pooled.err;
  const std::string ratios = "pooled by machine: ratio to TheOne [95% CI] and verdict";
  const auto box = table_row(pooled.out, ratios, "box");
  ASSERT_EQ(box.size(), 7u) << pooled.out;
  EXPECT_EQ(box[1], "3");
  EXPECT_EQ(box[2], "12");
  EXPECT_EQ(box[6].rfind("up to ", 0), 0u) << box[6];
  const auto other = table_row(pooled.out, ratios, "other box");
  ASSERT_EQ(other.size(), 7u) << pooled.out;
  EXPECT_EQ(other[1], "1");
  EXPECT_EQ(other[6], "n/a") << "one report shows no movement between reports";
  EXPECT_EQ(
      table_row(pooled.out, "pooled by machine over reports made at different times: medians [95% CI]", "box")
          .size(),
      7u)
      << pooled.out;
  EXPECT_TRUE(contains(pooled.out, "pooled: each report's figures taken as one draw")) << pooled.out;
  EXPECT_TRUE(contains(file_text(path("pooled.md")), "| box | 3 | 12 | " + box[3]))
      << file_text(path("pooled.md"));

  const auto json = nlohmann::json::parse(file_text(path("pooled.json")));
  ASSERT_EQ(json["pooled"].size(), 2u);
  const auto& machine = json["pooled"][0];
  EXPECT_EQ(machine["machine"], "box");
  EXPECT_EQ(machine["series"], nlohmann::json::array({"[1]", "[3]", "[4]"}));
  EXPECT_EQ(machine["reports"], 3);
  const auto& ratio = machine["procedures"]["TestNoFrameB"]["ratio_to_TheOne"];
  EXPECT_EQ(ratio["test"]["degrees_of_freedom"], 2);
  EXPECT_TRUE(ratio["ratio"]["low"].is_number());
  EXPECT_FALSE(machine["procedures"]["TheOne"].contains("ratio_to_TheOne"));
  EXPECT_TRUE(machine["procedures"]["TheOne"]["median"]["low"].is_number());

  // Without --pool nothing is pooled, and the pooled report reads back as its series.
  const auto plain = report({"compare", path("a1.json"), path("a2.json"), "--json", path("plain.json")});
  ASSERT_EQ(plain.status, 0) << plain.err;
  EXPECT_FALSE(contains(plain.out, "pooled by machine")) << plain.out;
  EXPECT_TRUE(nlohmann::json::parse(file_text(path("plain.json")))["pooled"].is_null());
  EXPECT_EQ(report({"compare", "--pool", path("pooled.json")}).status, 0);
  EXPECT_EQ(report({"--pool", "--", kStandin, "good"}).status, 2) << "only compare pools";
}

TEST_F(Flow, ExportsHoldTheCellsOfTheTable) {
  const auto ran =
      report({"--runs", "2", "--markdown", path("t.md"), "--csv", path("t.csv"), "--", kStandin, "good"});
  ASSERT_EQ(ran.status, 0) << ran.err;
  const auto row = table_row(ran.out, "each procedure's figures", "TestNoFrameB");
  std::string csv_row = "each procedure's figures";
  std::string md_row = "|";
  for (const auto& cell : row) {
    csv_row += "," + (cell.find(',') == std::string::npos ? cell : "\"" + cell + "\"");
    md_row += " " + cell + " |";
  }
  EXPECT_TRUE(contains(file_text(path("t.csv")), "\r\n" + csv_row + "\r\n")) << csv_row;
  EXPECT_TRUE(contains(file_text(path("t.md")), "\n" + md_row + "\n")) << md_row;

  const auto to_stdout = report({"--runs", "1", "--csv", "-", "--", kStandin, "good"});
  EXPECT_EQ(to_stdout.out.rfind("section,procedure,bytes,median [95% CI],spread,min,", 0), 0u) << to_stdout.out;
  EXPECT_TRUE(contains(to_stdout.err, "each procedure's figures")) << "the table goes to stderr";

  // Both series of one --vs report keep their benchmarks when compared.
  ASSERT_EQ(report({"--runs", "2", "--label", "lab", "--json", path("ab.json"), "--", kStandin, "good", "--vs",
                    kStandin, "good"})
                .status,
            0);
  const auto bmf = nlohmann::json::parse(report({"compare", path("ab.json"), "--bmf", "-"}).out);
  EXPECT_EQ(bmf.size(), 8u) << bmf.dump();
  EXPECT_TRUE(bmf.contains("lab/A/TestNoFrameA") && bmf.contains("lab/B/TestNoFrameA")) << bmf.dump();
}

TEST_F(Flow, SavedOutputsAreReportedAsRunsFromTheirMachine) {
  ProcessLimits limits;
  const auto exact = run_process({kStandin, "good"}, limits).out;
  std::string utf16 = "\xff\xfe";
  for (const char c : exact) utf16 += std::string{c, '\0'};
  std::string crlf;
  for (std::size_t i = 0; i < exact.size(); ++i)
    crlf += exact[i] == '\n' && (i == 0 || exact[i - 1] != '\r') ? "\r\n" : std::string(1, exact[i]);
  std::ofstream(path("run1.txt"), std::ios::binary) << exact;
  std::ofstream(path("run2.txt"), std::ios::binary) << utf16;
  std::ofstream(path("run3.txt"), std::ios::binary) << crlf;

  const auto good =
      report({"--from", path("run1.txt"), path("run2.txt"), "--machine", "lab-pc", "--json", path("r.json")});
  ASSERT_EQ(good.status, 0) << good.err;
  EXPECT_TRUE(contains(good.out, "2 of 2 runs valid; 2 captured outputs")) << good.out;
  EXPECT_TRUE(contains(good.out, "\noutputs captured on lab-pc, reported ")) << good.out;
  EXPECT_FALSE(contains(good.out, "measured on")) << good.out;
  EXPECT_FALSE(contains(good.out, "wall time")) << good.out;
  const auto json = nlohmann::json::parse(file_text(path("r.json")));
  EXPECT_TRUE(json["series"][0]["conditions"]["host"].is_null());
  EXPECT_TRUE(json["series"][0]["runs"][0]["wall_seconds"].is_null());

  const auto mangled = report({"--from", path("run1.txt"), path("run3.txt")});
  EXPECT_EQ(mangled.status, 1);
  EXPECT_TRUE(contains(mangled.err,
                       "run 2: " + path("run3.txt") + R"(: line 5: expected an empty line "\n", got "\r\n")"))
      << mangled.err;
  EXPECT_TRUE(contains(mangled.err, "cmd /c \"callbench.exe > run1.txt\"")) << mangled.err;

  // One output twice is one run, not two.
  for (const auto& again : {path("./run1.txt"), std::string("-")}) {
    const auto twice =
        report({"--from", again, path("run1.txt"), again}, Destination::File, "", path("run1.txt"));
    EXPECT_EQ(twice.status, 2) << twice.out;
    EXPECT_TRUE(contains(twice.err, "--from: " + again + " is given twice")) << twice.err;
  }

  const auto missing = report({"--from", path("run1.txt"), path("none.txt")});
  EXPECT_EQ(missing.status, 2);
  EXPECT_FALSE(contains(missing.err, "run 1")) << "every file is read before any is judged";
}

TEST_F(Flow, TheMachineChecksSayWhetherTheMachineIsFit) {
  const auto ran = report({"system"});
  ASSERT_TRUE(ran.status == 0 || ran.status == 2) << ran.err;
  EXPECT_TRUE(contains(ran.out, ran.status == 0 ? "fit to measure: yes" : "fit to measure: no")) << ran.out;
  EXPECT_EQ(table_row(ran.out, "", "priority raise").size(), 3u) << ran.out;
  ASSERT_EQ(report({"--runs", "1", "--json", path("r.json"), "--", kStandin, "good"}).status, 0);
  const auto json = nlohmann::json::parse(file_text(path("r.json")));
  EXPECT_FALSE(json["series"][0]["conditions"]["checks"].empty());

  // A processor the runs would refuse, missing or forbidden, is refused alike.
  const int processors = static_cast<int>(::sysconf(_SC_NPROCESSORS_CONF));
  const struct {
    std::string cpu;
    std::vector<std::string> wrapper;
    std::string err;
  } refused[] = {
      {std::to_string(processors), {}, "processor " + std::to_string(processors) + " does not exist"},
      {"1", {"taskset", "-c", "0"}, "processor 1 is not among those this process may use"},
      {"010", {}, "--cpu 10: processor 10 does not exist"},  // decimal, not octal
  };
  for (const auto& c : refused) {
    if (!c.wrapper.empty() && (processors < 2 || !fs::exists("/usr/bin/taskset"))) continue;
    if (c.cpu == "010" && processors > 10) continue;
    const auto run = report({"--cpu", c.cpu, "--", kStandin, "good"}, Destination::File, "", "", c.wrapper);
    const auto system = report({"system", "--cpu", c.cpu}, Destination::File, "", "", c.wrapper);
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_TRUE(contains(run.err, c.err)) << run.err;
    EXPECT_EQ(system.status, 2) << system.out;
    EXPECT_EQ(system.err, run.err);
    EXPECT_FALSE(contains(system.out, "fit to measure")) << system.out;
  }
}

TEST_F(Flow, MisusedOptionsAreRefused) {
  struct {
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {{"--from", "x.txt", "--runs", "3"}, "--runs has no meaning with --from"},
      {{"--machine", "lab", "--", kStandin}, "use it with --from"},
      {{"--", kStandin, "--vs"}, "--vs needs a command on each side"},
      {{"--baseline", "b.json", "--", kStandin, "--vs", kStandin},
       "--vs and --baseline cannot be used together"},
      {{"--json", "-", "--csv", "-", "--", kStandin}, "cannot both write to standard output"},
      {{"--max-runs", "5", "--", kStandin}, "--max-runs is the limit of --precision"},
      {{"--precision", "0.1", "--runs", "5", "--max-runs", "4", "--", kStandin}, "--max-runs is below --runs"},
      {{"compare"}, "files is required"},
  };
  for (const auto& c : cases) {
    const auto ran = report(c.args);
    EXPECT_EQ(ran.status, 2) << c.err;
    EXPECT_TRUE(contains(ran.err, c.err)) << ran.err;
  }
}

}  // namespace
}  // namespace callbench
