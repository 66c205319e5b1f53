// The verdict words and what an inconclusive row resolves, the same in every
// output: the table, Markdown, CSV, JSON and the HTML page.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "analyse/report_analysis.hpp"
#include "series_builder.hpp"
#include "write/document.hpp"
#include "write/exporter.hpp"
#include "write/layout.hpp"

namespace callbench {
namespace {

// TestNoFrameA clearly dearer, TestNoFrameB the same as TheOne, TestWithFrame
// clearly cheaper; with three runs and some spread, B's interval stays wide.
Report sample_report(std::size_t runs, double spread) {
  Report report;
  report.series.push_back(series_of(noisy_runs(runs, {6000, 4000, 4000, 3000}, 1, spread, 9)));
  analyse_report(report);
  return report;
}

TEST(Layout, EveryOutputCarriesTheSameVerdicts) {
  const Report report = sample_report(3, 0.04);
  const auto& paired = report.series[0].analysis->paired;
  ASSERT_EQ(paired[0].decision.verdict, Verdict::Slower);
  ASSERT_EQ(paired[1].decision.verdict, Verdict::Inconclusive);
  ASSERT_EQ(paired[3].decision.verdict, Verdict::Faster);

  const Document document = layout_report(report);
  const auto& rows = document.sections.at(1).table.rows;
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].back(), "slower");
  EXPECT_EQ(rows[1].back().rfind("inconclusive (resolves +/-", 0), 0u) << rows[1].back();
  EXPECT_NE(rows[1].back().find("runs for +/-1.0%)"), std::string::npos) << rows[1].back();
  EXPECT_EQ(rows[2].back(), "faster");

  for (const auto render : {export_text, export_markdown, export_csv, export_html}) {
    const std::string text = render(report);
    for (const auto& row : rows) EXPECT_NE(text.find(row.back()), std::string::npos) << row.back();
  }
  const auto json = nlohmann::json::parse(report_json_text(report));
  const auto& verdicts = json["series"][0]["analysis"]["paired_with_TheOne"];
  EXPECT_EQ(verdicts["TestNoFrameA"]["verdict"], "slower");
  EXPECT_EQ(verdicts["TestNoFrameB"]["verdict"], "inconclusive");
  EXPECT_TRUE(verdicts["TestNoFrameB"]["runs_needed"].is_number_integer());
  EXPECT_EQ(verdicts["TestWithFrame"]["verdict"], "faster");
}

TEST(Layout, EquivalentAndOneRunInconclusive) {
  const auto equivalent = layout_report(sample_report(10, 0.001));
  EXPECT_EQ(equivalent.sections.at(1).table.rows[1].back(), "equivalent");
  const auto single = layout_report(sample_report(1, 0.001));
  EXPECT_EQ(single.sections.at(1).table.rows[0].back(), "inconclusive (needs at least 2 runs)");
}

TEST(Layout, MarkdownEscapesItsOwnCharactersAndTextAlignsVerdictsAsWords) {
  Document document;
  document.sections.push_back({"",
                               {{"procedure", "median", kVerdictHeading},
                                {{"a_b*c`d", "1", "slower"}, {"x", "1000", "inconclusive"}}}});
  EXPECT_NE(render_markdown(document).find("| a\\_b\\*c\\`d | 1 | slower |\n"), std::string::npos)
      << render_markdown(document);
  // Figures to the right, the verdict column's words to the left.
  EXPECT_EQ(render_text(document),
            "\n"
            "procedure  median  verdict\n"
            "a_b*c`d         1  slower\n"
            "x            1000  inconclusive\n");
}

// A against B run interleaved: TestNoFrameA 10 % dearer on B (and, when asked,
// TheOne 10 % dearer on A), every pair's second run 5 % dearer.
Report interleaved_report(bool reference_changes) {
  auto b_runs = noisy_runs(12, {6000, 4000, 4000, 3000}, 1, 0.003, 32);
  for (auto& run : b_runs)
    for (auto& sweep : run) sweep[0] = static_cast<std::int32_t>(sweep[0] * 1.1);
  auto a_runs = noisy_runs(12, {6000, 4000, 4000, 3000}, 1, 0.003, 31);
  if (reference_changes)
    for (auto& run : a_runs)
      for (auto& sweep : run) sweep[kReference] = static_cast<std::int32_t>(sweep[kReference] * 1.1);
  auto [a, b] = interleave(a_runs, b_runs, "ABBABAABBAAB", 1.05);
  Report report;
  report.kind = Report::Kind::Interleaved;
  report.series = {a, b};
  analyse_report(report);
  return report;
}

TEST(Layout, EveryOutputCarriesTheRatioRowsAndThePositionOfInterleavedPairs) {
  const Report report = interleaved_report(false);
  const Document document = layout_report(report);
  ASSERT_EQ(document.sections.size(), 4u);
  const auto& ratios = document.sections[3];
  EXPECT_EQ(ratios.title, "A against B, each as a ratio to TheOne (assumes TheOne is the same on both)");
  ASSERT_EQ(ratios.table.rows.size(), 3u);
  EXPECT_EQ(ratios.table.rows[0].front(), "TestNoFrameA");
  EXPECT_EQ(ratios.table.rows[0].back(), "lower");
  EXPECT_EQ(ratios.table.rows[1].back(), "equivalent");
  const std::string position =
      "second run against its first: +4.99% [+4.92%, +5.06%] (6 pairs with A first, 6 with B first; p < "
      "0.0001)";
  const std::string carry_over = "second run cost +4.99% [+4.92%, +5.06%] against its first: a carry-over";
  for (const auto render : {export_text, export_markdown, export_csv, export_html}) {
    std::string text = render(report);
    for (std::size_t at; (at = text.find("&lt;")) != std::string::npos;) text.replace(at, 4, "<");  // HTML
    for (const auto& row : ratios.table.rows)
      for (const auto& cell : row) EXPECT_NE(text.find(cell), std::string::npos) << cell;
    EXPECT_NE(text.find(position), std::string::npos) << text;
    EXPECT_NE(text.find(carry_over), std::string::npos) << text;
    EXPECT_EQ(text.find("itself is"), std::string::npos) << "TheOne is the same on both sides";
  }
  const auto json = nlohmann::json::parse(report_json_text(report));
  const auto& comparison = json["comparison"];
  EXPECT_EQ(comparison["ratios_to_TheOne"]["TestNoFrameA"]["verdict"], "lower");
  EXPECT_EQ(comparison["ratios_to_TheOne"]["TestWithFrame"]["verdict"], "equivalent");
  EXPECT_FALSE(comparison["ratios_to_TheOne"].contains("TheOne"));
  EXPECT_EQ(comparison["procedures"]["TestNoFrameA"]["verdict"], "faster");
  EXPECT_EQ(comparison["position"]["pairs_a_first"], 6);
  EXPECT_EQ(comparison["position"]["notable"], true);
  EXPECT_NEAR(comparison["position"]["second_against_first"]["estimate"].get<double>(), 1.05, 0.003);

  // TheOne itself changed: the ratio rows then ask another question, and say so.
  const std::string moved = export_text(interleaved_report(true));
  EXPECT_NE(moved.find("note: TheOne itself is slower in A: the rows of ratios to it then tell each procedure "
                       "against a moving reference"),
            std::string::npos)
      << moved;
}

}  // namespace
}  // namespace callbench
