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

  for (const auto& make : {make_text_exporter, make_markdown_exporter, make_csv_exporter, make_html_exporter}) {
    const std::string text = make()->render(report);
    for (const auto& row : rows) EXPECT_NE(text.find(row.back()), std::string::npos) << row.back();
  }
  const auto json = nlohmann::json::parse(make_json_exporter()->render(report));
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

}  // namespace
}  // namespace callbench
