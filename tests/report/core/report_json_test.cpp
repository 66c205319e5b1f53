// The JSON format: what it writes reads back the same, files of every earlier
// version still load, every interval keeps its order, and near-miss files are
// refused with the place of the fault.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <limits>
#include <sstream>

#include <nlohmann/json.hpp>

#include "core/error.hpp"
#include "core/limits.hpp"
#include "core/processor_identity.hpp"
#include "core/report_json.hpp"

namespace callbench {
namespace {

std::string fixture(const std::string& name) {
  std::ostringstream text;
  text << std::ifstream(std::string(CALLBENCH_FIXTURES) + "/" + name).rdbuf();
  return text.str();
}

Run run(int number, int sequence, std::int32_t base) {
  Run r;
  r.number = number;
  r.sequence = sequence;
  r.wall_seconds = 0.5;
  for (std::size_t s = 0; s < kSweeps; ++s)
    for (std::size_t p = 0; p < kProcedures; ++p)
      r.figures[s][p] = base + static_cast<std::int32_t>(100 * p + s);
  return r;
}

Report sample_report() {
  Report report;
  report.kind = Report::Kind::Interleaved;
  report.label = "lab \xe2\x80\xa8 box";
  report.date_utc = "2026-12-09T10:00:00Z";
  report.tool_version = "9.9";
  report.run_settings = RunSettings{};
  report.analysis_settings.seed = 77;
  report.analysis_settings.noise_threshold = 0.02;
  for (const char* name : {"A", "B"}) {
    Series s;
    s.name = name;
    // A series keeps its own label, none too (a baseline made without one).
    s.label = name[0] == 'A' ? report.label : "";
    s.command = {"./callbench", std::string("arg ") + name};
    s.benchmark = BenchmarkFile{"./callbench", std::string(64, 'a')};
    s.conditions.date_utc = report.date_utc;
    s.conditions.host = "vm";
    s.conditions.processor = Processor{"Some CPU", true, identify_processor("AuthenticAMD", 0x00A10F11)};
    if (name[0] == 'B') s.conditions.processor->identity->microcode = 0xFFFFFFFF;
    s.conditions.tsc_hz = 2.4e9;
    s.conditions.load_before = LoadAverage{0.5, 0.25, 0.125};
    s.conditions.priority = {Priority::Raise::NotPermitted, "not root"};
    s.conditions.cpu = 1;
    s.conditions.calibration_before = Calibration{{1.01, 0.98, 1.02}, 50'000'000};
    s.conditions.checks = {{"governor", "frequency governor", "powersave on 0-1", MachineCheck::Status::NotFit,
                            "cpupower frequency-set -g performance"}};
    s.runs_requested = 3;
    s.warmup_runs = 1;
    s.runs = {run(1, name[0] == 'A' ? 3 : 4, 1000), run(3, name[0] == 'A' ? 8 : 7, -20)};
    s.failures = {{2, "exited with status 3"}};
    s.sizes = Sizes{7, 15, 13, 16};
    report.series.push_back(s);
  }
  report.interrupted = Interruption{2, "SIGINT"};
  return report;
}

// Fields that a file holds but reading does not bring back: the analysis, and
// where each series was read from.
Report as_read_back(Report report, const std::string& file) {
  for (auto& s : report.series) {
    s.file = file;
    s.analysis.reset();
  }
  report.comparison.reset();
  report.interrupted.reset();
  report.run_settings.reset();
  return report;
}

TEST(ReportJson, WhatIsWrittenReadsBackAndIsWrittenTheSameAgain) {
  const Report report = sample_report();
  const std::string text = report_json_text(report);
  const Report back = parse_report_json(text, "r.json");
  EXPECT_EQ(report_json_text(back), report_json_text(as_read_back(report, "r.json")));
  ASSERT_EQ(back.series.size(), 2u);
  EXPECT_EQ(back.kind, Report::Kind::Interleaved);
  EXPECT_EQ(back.analysis_settings.seed, 77u);
  EXPECT_EQ(back.series[1].runs[0].sequence, 4);
  EXPECT_EQ(back.series[0].runs[1].figures[2][3], -20 + 302);
  EXPECT_EQ(back.series[0].conditions.calibration_before->samples, (std::vector<double>{1.01, 0.98, 1.02}));
  EXPECT_EQ(back.series[1].file, "r.json");
  EXPECT_EQ(back.series[1].label, "");
  ASSERT_EQ(back.series[0].conditions.checks.size(), 1u);
  EXPECT_EQ(back.series[0].conditions.checks[0].status, MachineCheck::Status::NotFit);
  EXPECT_EQ(back.series[0].conditions.processor->identity, report.series[0].conditions.processor->identity);
  EXPECT_EQ(back.series[1].conditions.processor->identity->microcode, 0xFFFFFFFFu);
  EXPECT_EQ(back.series[1].conditions.processor->identity->microarchitecture, "Zen 4");

  // B alone, A having had no valid run, is still B of an interleaved report.
  Report lone = report;
  lone.series.erase(lone.series.begin());
  const Report lone_back = parse_report_json(report_json_text(lone), "b.json");
  EXPECT_EQ(lone_back.kind, Report::Kind::Interleaved);
  EXPECT_EQ(lone_back.series.at(0).name, "B");
}

TEST(ReportJson, FilesOfEveryEarlierVersionStillLoad) {
  const Report one = parse_report_json(fixture("format-1.json"), "one");
  ASSERT_EQ(one.series.size(), 1u);
  EXPECT_EQ(one.series[0].command, std::vector<std::string>{"./callbench"});
  EXPECT_EQ(one.series[0].conditions.processor->brand, "Some CPU");
  EXPECT_EQ(one.series[0].runs[1].figures[2][2], 925);

  const Report two = parse_report_json(fixture("format-2.json"), "two");
  EXPECT_EQ(two.kind, Report::Kind::Interleaved);
  EXPECT_EQ(two.label, "lab box");
  ASSERT_EQ(two.series.size(), 2u);
  for (const auto& s : two.series) {
    EXPECT_EQ(s.label, "lab box") << "a series goes by its report's label";
    EXPECT_EQ(s.conditions.host, "lab") << "the shared conditions go to every series";
    EXPECT_EQ(s.conditions.cpu, 1);
    // Version 2 kept the median and range of the calibration, which stand for its samples.
    EXPECT_EQ(s.conditions.calibration_before->samples, (std::vector<double>{1.0, 1.05, 1.1}));
  }
  EXPECT_EQ(two.series[1].failures[0].reason, "exited with status 1");

  const Report three = parse_report_json(fixture("format-3.json"), "three");
  ASSERT_FALSE(three.series.empty());
  for (const auto* old : {&one, &two, &three})
    for (const auto& s : old->series)
      EXPECT_FALSE(s.conditions.processor && s.conditions.processor->identity) << "unknown before version 4";
  EXPECT_TRUE(three.series[0].conditions.processor);
  EXPECT_EQ(report_json_text(parse_report_json(report_json_text(three), "three")), report_json_text(three));
}

// Calls check on every object of the document that looks like an interval.
void each_interval(const nlohmann::json& json, const std::function<void(const nlohmann::json&)>& check) {
  if (json.is_object() && json.contains("estimate") && json.contains("low")) check(json);
  if (json.is_structured())
    for (const auto& item : json) each_interval(item, check);
}

TEST(ReportJson, EveryIntervalHoldsItsEstimate) {
  Report report = sample_report();
  SeriesAnalysis analysis;
  analysis.procedures[0].median = Interval{1000, 990, 1020, true};
  analysis.paired[0].decision.ratio = Interval{1.5, 1.4, 1.7, true};
  analysis.paired[0].difference = Interval{500, 450, 560, true};
  report.series[0].analysis = analysis;
  report.comparison = Comparison{};
  report.comparison->procedures[3].ratio = Interval{0.9, 0.85, 0.96, true};
  int seen = 0;
  each_interval(nlohmann::json::parse(report_json_text(report)), [&](const nlohmann::json& interval) {
    if (interval["low"].is_null()) return;
    ++seen;
    EXPECT_LE(interval["low"].get<double>(), interval["estimate"].get<double>()) << interval;
    EXPECT_LE(interval["estimate"].get<double>(), interval["high"].get<double>()) << interval;
  });
  EXPECT_EQ(seen, 4);
}

// The largest report this program writes must be one it reads back: each run
// and each failed run, at their longest, fit the room the limits give them.
TEST(ReportJson, EveryRunAndFailureFitsTheRoomTheFileLimitGivesIt) {
  Report report = sample_report();
  report.series.resize(1);
  auto& series = report.series[0];
  callbench::Run longest;
  longest.number = kMaxRuns;
  longest.sequence = 2 * static_cast<int>(kMaxSeriesRecords);
  longest.wall_seconds = -1.2345678901234567e-300;
  for (auto& sweep : longest.figures) sweep.fill(std::numeric_limits<std::int32_t>::min());
  // The reasons kept are printable and cut; \ and " are what JSON escapes in them.
  const FailedRun worst{kMaxRuns, std::string(kMaxReasonBytes, '"')};
  series.runs = {longest};
  series.failures = {worst};
  const std::size_t one = report_json_text(report).size();
  for (int i = 0; i < 100; ++i) series.runs.push_back(longest), series.failures.push_back(worst);
  const std::string text = report_json_text(report);
  EXPECT_LE((text.size() - one) / 100, 2 * kMaxRecordJsonBytes) << "a run and a failure together";
  EXPECT_LE(text.size() - one, 100 * 2 * kMaxRecordJsonBytes);
  EXPECT_GE(std::count(text.begin(), text.end(), '\n'), 202) << "each on a line of its own";
  EXPECT_EQ(parse_report_json(text, "r.json").series[0].runs.size(), 101u);
  static_assert(2 * kMaxSeriesRecords * kMaxRecordJsonBytes + kMaxOtherJsonBytes <= kMaxReportFile);
}

TEST(ReportJson, NearMissFilesAreRefusedWithThePlaceOfTheFault) {
  const auto good = nlohmann::json::parse(report_json_text(sample_report()));
  const struct {
    const char* what;
    std::function<void(nlohmann::json&)> change;
    std::string problem;
  } cases[] = {
      {"2^64 - 1", [](auto& j) { j["series"][0]["runs"][0]["sweeps"][0]["TheOne"] = 18446744073709551615u; },
       "series[0].runs[0].sweeps[0].TheOne: out of range"},
      {"past int32", [](auto& j) { j["series"][0]["runs"][0]["sweeps"][1]["TheOne"] = 2147483648LL; },
       "series[0].runs[0].sweeps[1].TheOne: out of range"},
      {"a fraction", [](auto& j) { j["series"][0]["runs"][0]["sweeps"][1]["TheOne"] = 1.5; },
       "series[0].runs[0].sweeps[1].TheOne: expected a whole number"},
      {"two sweeps", [](auto& j) { j["series"][1]["runs"][1]["sweeps"].erase(2); },
       "series[1].runs[1].sweeps: expected 3 sweeps"},
      {"no runs", [](auto& j) { j["series"][0]["runs"] = nlohmann::json::array(); },
       "series[0].runs: holds no run"},
      {"no series", [](auto& j) { j["series"] = nlohmann::json::array(); }, "series: holds no series"},
      {"newer", [](auto& j) { j["format_version"] = kFormatVersion + 1; },
       "format version " + std::to_string(kFormatVersion + 1) + " is newer than this callbench-report reads"},
      {"negative run", [](auto& j) { j["series"][0]["runs"][0]["run"] = -1; },
       "series[0].runs[0].run: out of range"},
      {"text for a list", [](auto& j) { j["series"][0]["command"] = "x"; },
       "series[0].command: expected a list"},
      {"no conditions", [](auto& j) { j["series"][0].erase("conditions"); }, "series[0]: lacks \"conditions\""},
      {"a signature not in hexadecimal",
       [](auto& j) { j["series"][0]["conditions"]["processor"]["identity"]["signature"] = "a10f11"; },
       "series[0].conditions.processor.identity.signature: expected 0x and up to 8 hexadecimal digits"},
      {"a stepping past 4 bits",
       [](auto& j) { j["series"][1]["conditions"]["processor"]["identity"]["stepping"] = 16; },
       "series[1].conditions.processor.identity.stepping: out of range"},
      {"an identity without its vendor",
       [](auto& j) { j["series"][0]["conditions"]["processor"]["identity"].erase("vendor"); },
       "series[0].conditions.processor.identity: lacks \"vendor\""},
      {"more records than a series made here holds",
       [](auto& j) {
         j["series"][0]["failed_runs"] = nlohmann::json::array();
         for (std::size_t i = 0; i + 1 < kMaxSeriesRecords; ++i)
           j["series"][0]["failed_runs"].push_back({{"run", 1}, {"reason", ""}});
       },
       "series[0]: holds more than " + std::to_string(kMaxSeriesRecords) + " runs and failed runs"},
  };
  for (const auto& c : cases) {
    auto changed = good;
    c.change(changed);
    try {
      parse_report_json(changed.dump(), "f.json");
      ADD_FAILURE() << c.what << ": accepted";
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find("f.json: " + c.problem), std::string::npos)
          << c.what << ": " << e.what();
      EXPECT_EQ(e.exit_status, kExitBadInput);
    }
  }
  // As many records as a series made here holds, and not one more, are taken.
  auto full = good;
  full["series"][0]["failed_runs"] = nlohmann::json::array();
  for (std::size_t i = full["series"][0]["runs"].size(); i < kMaxSeriesRecords; ++i)
    full["series"][0]["failed_runs"].push_back({{"run", 1}, {"reason", ""}});
  EXPECT_EQ(parse_report_json(full.dump(), "f.json").series[0].failures.size(), kMaxSeriesRecords - 2);
  EXPECT_THROW(parse_report_json("{\"runs\": [", "f.json"), Error);
  EXPECT_THROW(parse_report_json("[1, 2]", "f.json"), Error);
}

}  // namespace
}  // namespace callbench
