// Writes report pages from input made by hand (two series with a comparison,
// disturbed figures and hostile names; one plain series) and, beside them in
// pages.json, what each must show, counted from that same input. Given the
// tool and a stand-in benchmark, it also has callbench-report write a page of
// interleaved runs and counts what that page must show from the JSON written
// with it.
#include <cstdio>
#include <fstream>
#include <iostream>

#include <nlohmann/json.hpp>

#include "analyse/report_analysis.hpp"
#include "read/report_file.hpp"
#include "run/process.hpp"
#include "write/html.hpp"
#include "write/html_report.hpp"
#include "write/layout.hpp"

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

// What a page must show, counted from its input: marks by name (numbered
// marks are summed over procedures), charts, tables, and texts that must stay text.
nlohmann::json expected_page(const HtmlInput& input) {
  int valid = 0, disturbed = 0, summaries = 0, ratios = 0, unknown_ratios = 0;
  for (const ChartSeries& series : input.series) {
    for (std::size_t p = 0; p < kProcedures; ++p) {
      int valid_here = 0;
      for (const Run& run : *series.runs)
        for (const Sweep& sweep : run.figures) ++(sweep[p] > 0 ? valid_here : disturbed);
      valid += valid_here;
      summaries += valid_here > 0;
      if (p != kReference) ++(series.analysis->paired[p].ratio ? ratios : unknown_ratios);
    }
  }
  int changes = 0, unknown_changes = 0;
  if (input.comparison)
    for (const ProcedureChange& change : input.comparison->procedures)
      ++(change.ratio ? changes : unknown_changes);
  const int bands = input.comparison ? 1 : 0;
  nlohmann::json charts = {"ratios", "figures", "timeline"};
  if (input.comparison) charts.push_back("change");
  nlohmann::json expected = {
      {"marks",
       {{"dots", valid}, {"disturbed", disturbed}, {"disturbed_times", disturbed},
        {"box", summaries}, {"median", summaries}, {"minimum", summaries},
        {"minimum_label", summaries}, {"lines", summaries},
        {"ratio_interval", ratios}, {"ratio_point", ratios}, {"ratio_verdict", ratios},
        {"ratio_unknown", unknown_ratios}, {"ratio_noise_band", 1},
        {"change_interval", changes}, {"change_point", changes}, {"change_verdict", changes},
        {"change_unknown", unknown_changes}, {"change_noise_band", bands}}},
      {"charts", charts},
      {"tables", input.document ? input.document->sections.size() : 0},
      {"title", input.title},
      {"series_name", input.series[0].name}};
  if (input.document) expected["cell"] = input.document->sections[0].table.rows[1][0];
  return expected;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 4) {
    std::cerr << "usage: callbench-report-html-sample OUTPUT_DIRECTORY [REPORT_TOOL STAND_IN]\n";
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

  HtmlInput single;
  single.title = "callbench-report: one series";
  std::vector<Run> plain = make_runs(5, 3, 0);
  for (Run& run : plain)  // a procedure with no valid figure at all
    for (Sweep& sweep : run.figures) sweep[3] = -10 * run.number;
  single.series = {{"build/linux-i386/callbench", &plain, &analysis_a}};

  nlohmann::json pages = nlohmann::json::array();
  for (const auto& [file, page_input] : {std::pair{"two-series.html", &input}, {"one-series.html", &single}}) {
    nlohmann::json expected = expected_page(*page_input);
    expected["file"] = file;
    const std::string page = render_html(*page_input);
    std::ofstream(out + "/" + file, std::ios::binary) << page;
    pages.push_back(expected);
  }
  if (argc == 4) {
    // Disturbed TheOne figures on one side leave ratios unknown; the other side is steady.
    const std::string standin = argv[3];
    ProcessLimits limits;
    limits.timeout_seconds = 120;
    const auto ran = run_process({argv[2], "--runs", "3", "--html", out + "/tool.html", "--json",
                                  out + "/tool.json", "--", standin, "zero", "--vs", standin, "good"},
                                 limits);
    if (ran.outcome != ProcessResult::Outcome::Exited || ran.code != 0) {
      std::cerr << "callbench-report failed: " << ran.err;
      return 1;
    }
    auto loaded = load_report(out + "/tool.json");
    analyse_report(loaded.report);
    const auto document = layout_report(loaded.report);
    nlohmann::json expected = expected_page(report_html_input(loaded.report, document));
    expected["file"] = "tool.html";
    expected.erase("cell");
    pages.push_back(expected);
  }
  std::ofstream(out + "/pages.json") << pages.dump(2) << '\n';
  return 0;
}
