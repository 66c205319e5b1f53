// Figures printed to the precision their intervals support, and a document's
// text renderings.
#include <gtest/gtest.h>

#include <limits>
#include <sstream>

#include "write/document.hpp"
#include "write/number_format.hpp"

namespace callbench {
namespace {

TEST(Format, PrecisionFollowsTheInterval) {
  struct {
    Interval interval;
    int fallback;
    std::string text;
  } cases[] = {
      {{1.006, 0.963, 1.051, true}, 3, "1.01 [0.96, 1.05]"},  // +/-4 %: two decimals
      {{1.4012, 1.3987, 1.4031, true}, 3, "1.401 [1.399, 1.403]"},
      {{1.5, 1.5, 1.5, true}, 3, "1.500 [1.500, 1.500]"},  // no spread: the fallback
      {{6358.5, 6201, 6512, true}, 0, "6358 [6201, 6512]"},
      {{0.9, 0.9, 0.9, false}, 3, "0.900"},               // one run: no interval
      {{1.06, 0.16, 7.1, true}, 3, "1.06 [0.16, 7.10]"},  // wide, yet its low end is not "0"
      {{-196, -343, -50, true}, 0, "-196 [-343, -50]"},   // a difference keeps the interval's precision
  };
  for (const auto& c : cases) EXPECT_EQ(format_interval(c.interval, c.fallback), c.text);
}

TEST(Format, ChangesPercentagesAndPValuesKeepABoundedWidth) {
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(format_change(1.042), "+4.2%");
  EXPECT_EQ(format_change(0.96), "-4.0%");
  EXPECT_EQ(format_change(1e300), ">+999%");
  EXPECT_EQ(format_change(-1e9), "<-999%");
  EXPECT_EQ(format_change(inf), "n/a");
  EXPECT_EQ(format_change(Interval{0.96, 0.94, 0.98, true}), "-4% [-6%, -2%]");
  EXPECT_EQ(format_number(1e300, 3), "n/a");
  EXPECT_EQ(format_number(-0.0001, 2), "0.00");
  EXPECT_EQ(format_p_value(0.0312), "0.031");
  EXPECT_EQ(format_p_value(1e-9), "<0.0001");
}

Document sample_document() {
  Document d;
  d.preamble = {"2 of 2 runs valid"};
  d.sections.push_back({"figures", {{"procedure", "min"}, {{"TheOne", "900"}, {"A|B, \"x\"", "12"}}}});
  d.footer = {"measured on host"};
  d.notes = {"note: noisy"};
  return d;
}

TEST(Render, TextMarkdownAndCsvHoldTheSameCells) {
  const auto document = sample_document();
  EXPECT_EQ(render_text(document),
            "2 of 2 runs valid\n\nfigures\nprocedure  min\nTheOne     900\n"
            "A|B, \"x\"    12\n\nmeasured on host\nnote: noisy\n");
  const auto markdown = render_markdown(document);
  EXPECT_NE(markdown.find("| procedure | min |\n| --- | ---: |\n| TheOne | 900 |\n| A\\|B, \"x\" | 12 |"),
            std::string::npos)
      << markdown;
  EXPECT_EQ(render_csv(document),
            "section,procedure,min\r\nfigures,TheOne,900\r\nfigures,\"A|B, \"\"x\"\"\",12\r\n"
            "section,line\r\nsummary,2 of 2 runs valid\r\nconditions,measured on host\r\n"
            "notes,note: noisy\r\n");
}

}  // namespace
}  // namespace callbench
