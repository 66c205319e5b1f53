// Writes a report page from input made by hand (two series, a comparison,
// disturbed figures, hostile names) and, beside it, the marks each chart must
// show, counted from that same input, for the browser test to check.
#include <cstdio>
#include <fstream>
#include <iostream>

#include <nlohmann/json.hpp>

#include "write/html.hpp"

using namespace callbench;

namespace {

const std::string kHostileName = "A: </script><b class=\"injected\">x</b>&amp;";

std::vector<Run> make_runs(int count, std::uint32_t seed, std::int32_t offset) {
  const std::int32_t base[kProcedures] = {5600, 3800, 3900, 3550};
  std::vector<Run> runs;
  for (int r = 1; r <= count; ++r) {
    Run run;
    run.number = r;
    for (std::size_t w = 0; w < kSweeps; ++w)
      for (std::size_t p = 0; p < kProcedures; ++p) {
        seed = seed * 1664525u + 1013904223u;
        const std::int32_t warmup = r == 1 ? 900 : 0;
        run.figures[w][p] = base[p] + offset + warmup + static_cast<std::int32_t>(seed >> 23);
      }
    runs.push_back(run);
  }
  return runs;
}

Interval interval(double estimate, double low, double high) { return {estimate, low, high, true}; }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: callbench-report-html-sample OUTPUT_DIRECTORY\n";
    return 2;
  }
  const std::string out = argv[1];

  std::vector<Run> a = make_runs(12, 7, 0), b = make_runs(10, 11, 250);
  a[2].figures[1][1] = -140;  // TestNoFrameB
  a[6].figures[0][2] = 0;     // TheOne
  b[4].figures[2][3] = -2200;  // TestWithFrame

  SeriesAnalysis analysis_a, analysis_b;
  analysis_a.paired[0] = {36, 36, interval(1.41, 1.38, 1.44), std::nullopt, PairedVerdict::Slower};
  analysis_a.paired[1] = {35, 20, interval(1.004, 0.99, 1.02), std::nullopt,
                          PairedVerdict::Indistinguishable};
  analysis_a.paired[3] = {35, 2, interval(0.89, 0.87, 0.91), std::nullopt, PairedVerdict::Faster};
  analysis_b.paired[0] = {30, 30, interval(1.38, 1.35, 1.42), std::nullopt, PairedVerdict::Slower};
  analysis_b.paired[3] = {29, 3, interval(0.9, 0.88, 0.93), std::nullopt, PairedVerdict::Faster};

  Comparison comparison;
  comparison.procedures[0] = {interval(0.96, 0.94, 0.98), RankTest{20, -3.1, 0.002},
                              ChangeVerdict::Faster};
  comparison.procedures[1] = {interval(1.002, 0.98, 1.03), RankTest{50, -0.2, 0.84},
                              ChangeVerdict::NoChange};
  comparison.procedures[3] = {interval(1.05, 1.02, 1.08), RankTest{80, 2.9, 0.004},
                              ChangeVerdict::Slower};

  Document document;
  document.preamble = {"12 of 12 runs valid <i class=\"injected\">", "B: 10 of 10 runs valid"};
  document.sections.push_back({"A & B", {{"procedure", "min", "median"},
                                         {{"TestNoFrameA", "5600", "5850"},
                                          {"<script>window.injected = 1</script>", "1", "2"}}}});
  document.sections.push_back({"", {{"procedure", "change"}, {{"TheOne", "n/a"}}}});
  document.footer = {"machine: AMD EPYC; time-stamp counter invariant", "command: 'x' \"y\" <z>"};
  document.notes = {"note: the machine was noisy & the minimum is the figure to quote"};

  HtmlInput input;
  input.title = "callbench-report </title><b class=\"injected\">";
  input.series = {{kHostileName, &a, &analysis_a}, {"B: wine callbench.exe", &b, &analysis_b}};
  input.comparison = &comparison;
  input.noise_threshold = 0.02;
  input.document = &document;

  // What the page must show, by mark name (numbered marks are summed over procedures).
  int valid = 0, disturbed = 0, ratios = 0, unknown_ratios = 0, changes = 0;
  for (const auto* runs : {&a, &b})
    for (const Run& run : *runs)
      for (const Sweep& sweep : run.figures)
        for (std::int32_t figure : sweep) ++(figure > 0 ? valid : disturbed);
  for (const auto* analysis : {&analysis_a, &analysis_b})
    for (std::size_t p = 0; p < kProcedures; ++p)
      if (p != kReference) ++(analysis->paired[p].ratio ? ratios : unknown_ratios);
  for (const ProcedureChange& change : comparison.procedures)
    if (change.ratio) ++changes;
  const int boxes = static_cast<int>(input.series.size() * kProcedures);
  nlohmann::json expected = {
      {"marks",
       {{"dots", valid}, {"disturbed", disturbed}, {"disturbed_times", disturbed},
        {"box", boxes}, {"median", boxes}, {"minimum", boxes}, {"minimum_label", boxes},
        {"lines", boxes},
        {"ratio_interval", ratios}, {"ratio_point", ratios}, {"ratio_verdict", ratios},
        {"ratio_unknown", unknown_ratios}, {"ratio_noise_band", 1},
        {"change_interval", changes}, {"change_point", changes}, {"change_verdict", changes},
        {"change_unknown", static_cast<int>(kProcedures) - changes}, {"change_noise_band", 1}}},
      {"charts", {"ratios", "change", "figures", "timeline"}},
      {"tables", document.sections.size()},
      {"title", input.title},
      {"series_name", kHostileName},
      {"cell", document.sections[0].table.rows[1][0]}};

  const std::string page = render_html(input);
  std::ofstream(out + "/report.html", std::ios::binary) << page;
  std::ofstream(out + "/expected.json") << expected.dump(2) << '\n';
  std::cout << "wrote " << out << "/report.html, " << page.size() << " bytes\n";
  return 0;
}
