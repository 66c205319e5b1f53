// The exports that continuous-benchmarking services read, checked against each
// format's published rules: Bencher's metric format (its JSON schema, names up
// to 1024 characters, measures up to 64) and the GitHub benchmark action's
// customSmallerIsBetter input (a list of name, unit, value, and optional range
// and extra texts).
#include <gtest/gtest.h>

#include <set>

#include <nlohmann/json.hpp>

#include "analyse/report_analysis.hpp"
#include "series_builder.hpp"
#include "write/exporter.hpp"

namespace callbench {
namespace {

Report sample(Report::Kind kind, std::size_t series_count) {
  Report report;
  report.kind = kind;
  for (std::size_t i = 0; i < series_count; ++i) {
    auto series =
        series_of(noisy_runs(4, {6000, 4000, 4000, 3000}, 1 + 0.1 * static_cast<double>(i), 0.02, 5 + i),
                  std::string(1, static_cast<char>('A' + i)));
    series.label = "host" + std::to_string(i + 1);
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
    for (const char* optional : {"range", "extra"}) {
      if (entry.contains(optional)) {
        EXPECT_TRUE(entry[optional].is_string()) << entry;
      }
    }
  }
}

TEST(ServiceExports, FollowEachFormatsRules) {
  const struct {
    Report::Kind kind;
    std::size_t series, tracked_series;
    const char* first_benchmark;
  } cases[] = {
      {Report::Kind::Single, 1, 1, "TestNoFrameA"},
      {Report::Kind::Interleaved, 2, 2, "A/TestNoFrameA"},
      {Report::Kind::Baseline, 2, 1, "A/TestNoFrameA"},  // the baseline was tracked when it was made
      {Report::Kind::Files, 3, 3, "host1/TestNoFrameA"},
  };
  for (const auto& c : cases) {
    const Report report = sample(c.kind, c.series);
    const auto bmf = nlohmann::json::parse(make_bencher_exporter()->render(report));
    check_bencher(bmf, 4 * c.tracked_series);
    ASSERT_TRUE(bmf.contains(c.first_benchmark)) << bmf.dump();
    const auto& first = bmf[c.first_benchmark];
    EXPECT_DOUBLE_EQ(first["millicycles"]["value"].get<double>(),
                     report.series[0].analysis->procedures[0].median->estimate);
    EXPECT_DOUBLE_EQ(first["ratio-to-TheOne"]["lower_value"].get<double>(),
                     report.series[0].analysis->paired[0].decision.ratio.low);
    EXPECT_FALSE(bmf[std::string(c.first_benchmark)
                         .replace(std::string(c.first_benchmark).find("TestNoFrameA"), 12, "TheOne")]
                     .contains("ratio-to-TheOne"));
    check_github(nlohmann::json::parse(make_github_benchmark_exporter()->render(report)), 7 * c.tracked_series);
  }
}

}  // namespace
}  // namespace callbench
