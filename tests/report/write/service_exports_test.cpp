// The exports that continuous-benchmarking services read, checked against each
// format's published rules: Bencher's metric format (its JSON schema, names up
// to 1024 characters, measures up to 64) and the GitHub benchmark action's
// customSmallerIsBetter input (a list of name, unit, value, and optional range
// and extra texts). Names are counted in bytes, which are never fewer than characters.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>

#include <nlohmann/json.hpp>

#include "analyse/report_analysis.hpp"
#include "series_builder.hpp"
#include "write/exporter.hpp"

namespace callbench {
namespace {

// A report of these series, each labelled as given (none: "host1", "host2"...),
// measured on host "pc" on one day.
Report sample(Report::Kind kind, std::size_t series_count, const std::vector<std::string>& labels = {}) {
  Report report;
  report.kind = kind;
  for (std::size_t i = 0; i < series_count; ++i) {
    auto series =
        series_of(noisy_runs(4, {6000, 4000, 4000, 3000}, 1 + 0.1 * static_cast<double>(i), 0.02, 5 + i),
                  kind == Report::Kind::Baseline ? (i == 0 ? "new" : "baseline")
                                                 : std::string(1, static_cast<char>('A' + i)));
    series.label = labels.empty() ? "host" + std::to_string(i + 1) : labels.at(i);
    series.conditions.host = "pc";
    series.conditions.date_utc = "2026-12-09T03:1" + std::to_string(i % 10) + ":00Z";
    if (kind == Report::Kind::Files || (kind == Report::Kind::Baseline && i == 1)) series.file = "r.json";
    report.series.push_back(series);
  }
  analyse_report(report);
  return report;
}

void check_bencher(const nlohmann::json& bmf, std::size_t benchmarks) {
  ASSERT_TRUE(bmf.is_object());
  EXPECT_EQ(bmf.size(), benchmarks);
  for (const auto& [name, measures] : bmf.items()) {
    EXPECT_TRUE(!name.empty() && name.size() <= 1024) << name;
    EXPECT_EQ(name.find("\xef\xbf\xbd"), std::string::npos) << "cut inside a character: " << name;
    ASSERT_TRUE(measures.is_object() && !measures.empty()) << name;
    for (const auto& [measure, metric] : measures.items()) {
      EXPECT_TRUE(!measure.empty() && measure.size() <= 64) << measure;
      ASSERT_TRUE(metric.is_object() && metric["value"].is_number()) << metric;
      for (const auto& [key, value] : metric.items()) {
        EXPECT_TRUE(key == "value" || key == "lower_value" || key == "upper_value") << key;
        EXPECT_TRUE(value.is_number()) << key;
      }
      if (metric.contains("lower_value")) {
        EXPECT_LE(metric["lower_value"].get<double>(), metric["value"].get<double>());
        EXPECT_LE(metric["value"].get<double>(), metric["upper_value"].get<double>());
      }
    }
  }
}

void check_github(const nlohmann::json& entries, std::size_t count) {
  ASSERT_TRUE(entries.is_array());
  EXPECT_EQ(entries.size(), count);
  std::set<std::string> names;
  for (const auto& entry : entries) {
    ASSERT_TRUE(entry.is_object());
    EXPECT_TRUE(entry["name"].is_string() && entry["unit"].is_string() && entry["value"].is_number()) << entry;
    EXPECT_TRUE(names.insert(entry["name"].get<std::string>()).second) << "names must be unique";
    // The action documents no limit: names are kept within Bencher's.
    EXPECT_LE(entry["name"].get<std::string>().size(), 1024u);
    for (const char* optional : {"range", "extra"}) {
      if (entry.contains(optional)) {
        EXPECT_TRUE(entry[optional].is_string()) << entry;
      }
    }
  }
}

// A label in two-byte characters, longer than any service takes in a name.
const std::string kLong = [] {
  std::string text;
  for (int i = 0; i < 1000; ++i) text += "\xc3\xa9";
  return text;
}();

TEST(ServiceExports, FollowEachFormatsRules) {
  const struct {
    Report::Kind kind;
    std::size_t series, tracked_series;
    std::vector<std::string> labels;
    // Each tracked series' name before "/TestNoFrameA"; none for the report's own single series.
    std::vector<std::string> prefixes;
  } cases[] = {
      {Report::Kind::Single, 1, 1, {}, {""}},
      {Report::Kind::Interleaved, 2, 2, {}, {"A/", "B/"}},
      // The new runs keep the names a report of them alone gives; the baseline
      // was tracked when it was made.
      {Report::Kind::Baseline, 2, 1, {}, {""}},
      {Report::Kind::Files, 3, 3, {}, {"host1/", "host2/", "host3/"}},
      {Report::Kind::Files, 1, 1, {"lab"}, {"lab/"}},  // as when compared with others
      // One label, or none and one machine on one day: each series keeps its own benchmarks.
      {Report::Kind::Files, 2, 2, {"lab", "lab"}, {"lab/", "lab #2/"}},
      {Report::Kind::Files, 3, 3, {"", "", "lab"}, {"pc/", "pc #2/", "lab/"}},
      {Report::Kind::Files, 50, 50, std::vector<std::string>(50, "lab"), {"lab/", "lab #2/"}},
      // A name from a file is shown by the services as the terminal shows it: no
      // line break, escape sequence or reordering of its own.
      {Report::Kind::Files, 1, 1, {"lab\n\x1b[2J\xe2\x80\xae\xff"}, {"lab\\n\\x1b[2J\\u202e\\xff/"}},
      // Labels too long for a name: cut, and still apart.
      {Report::Kind::Files, 2, 2, {kLong + "x", kLong + "y"}, {}},
      {Report::Kind::Files, 3, 3, std::vector<std::string>(3, kLong), {}},
  };
  for (const auto& c : cases) {
    Report report = sample(c.kind, c.series, c.labels);
    // A processor known to one report and not to the last keeps the names.
    report.series[0].conditions.processor = Processor{"", true, ProcessorIdentity{}};
    report.series[0].conditions.processor->identity->microarchitecture = "Zen 4";
    const auto bmf = nlohmann::json::parse(export_bencher(report));
    check_bencher(bmf, 4 * c.tracked_series);
    for (std::size_t i = 0; i < c.prefixes.size(); ++i) {
      const std::string first = c.prefixes[i] + "TestNoFrameA";
      ASSERT_TRUE(bmf.contains(first)) << first << " in " << bmf.dump();
      const auto& analysis = *report.series[i].analysis;
      EXPECT_DOUBLE_EQ(bmf[first]["millicycles"]["value"].get<double>(),
                       analysis.procedures[0].median->estimate);
      EXPECT_DOUBLE_EQ(bmf[first]["ratio-to-TheOne"]["lower_value"].get<double>(),
                       analysis.paired[0].decision.ratio.low);
      EXPECT_FALSE(bmf[c.prefixes[i] + "TheOne"].contains("ratio-to-TheOne"));
    }
    if (c.prefixes.empty()) {
      for (const auto& [name, measures] : bmf.items())
        EXPECT_EQ(name.rfind(kLong.substr(0, 900), 0), 0u) << name;
    }
    const auto github = nlohmann::json::parse(export_github_benchmark(report));
    check_github(github, 7 * c.tracked_series);
    if (c.prefixes.empty()) continue;
    // The first series' median of TestNoFrameA: "± half-width" and "95% CI [low, high]".
    const auto& median = *report.series[0].analysis->procedures[0].median;
    const auto entry = std::find_if(github.begin(), github.end(), [&](const auto& e) {
      return e["name"] == c.prefixes[0] + "TestNoFrameA millicycles";
    });
    ASSERT_NE(entry, github.end());
    EXPECT_EQ((*entry)["unit"], "millicycles per call");
    const std::string range = (*entry)["range"], extra = (*entry)["extra"];
    ASSERT_EQ(range.rfind("\xc2\xb1 ", 0), 0u) << range;
    EXPECT_NEAR(std::stod(range.substr(3)), (median.high - median.low) / 2, 1e-5 * median.high) << range;
    double low = 0, high = 0;
    ASSERT_EQ(std::sscanf(extra.c_str(), "95%% CI [%lf, %lf]", &low, &high), 2) << extra;
    EXPECT_NEAR(low, median.low, 1e-5 * median.high) << extra;
    EXPECT_NEAR(high, median.high, 1e-5 * median.high) << extra;
  }
}

}  // namespace
}  // namespace callbench
