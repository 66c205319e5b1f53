// Writes report pages from series made here (two series with a comparison,
// disturbed figures and hostile names; one plain series) and, beside them in
// pages.json, what each must show, counted from that same report. Given the
// tool and a stand-in benchmark, it also has callbench-report write a page of
// interleaved runs and counts what that page must show from the JSON written
// with it.
#include <cstdlib>
#include <fstream>
#include <iostream>

#include <nlohmann/json.hpp>

#include "analyse/report_analysis.hpp"
#include "core/report_json.hpp"
#include "series_builder.hpp"
#include "write/exporter.hpp"
#include "write/html/chart_data.hpp"
#include "write/layout.hpp"

using namespace callbench;

namespace {

const std::string kHostile = "</script><b class=\"injected\">x</b>&amp;";

std::vector<Figures> made_runs(int count, std::uint32_t seed, std::int32_t offset) {
  const std::int32_t base[kProcedures] = {5600, 3800, 3900, 3550};
  return make_runs(count, [&](std::size_t run, std::size_t) {
    Sweep sweep{};
    for (std::size_t p = 0; p < kProcedures; ++p) {
      seed = seed * 1664525u + 1013904223u;
      const std::int32_t warmup = run == 0 ? 900 : 0;
      sweep[p] = base[p] + offset + warmup + static_cast<std::int32_t>(seed >> 23);
    }
    return sweep;
  });
}

// What a page must show, counted from its report: marks by name (numbered
// marks are summed over procedures), charts, tables, and texts that must stay text.
nlohmann::json expected_page(const Report& report) {
  int valid = 0, disturbed = 0, summaries = 0, ratios = 0, unknown_ratios = 0;
  for (const Series& series : report.series) {
    for (std::size_t p = 0; p < kProcedures; ++p) {
      int valid_here = 0;
      for (const Run& run : series.runs)
        for (const Sweep& sweep : run.figures) ++(sweep[p] > 0 ? valid_here : disturbed);
      valid += valid_here;
      summaries += valid_here > 0;
      if (p != kReference) ++(series.analysis->paired[p].decision.ratio.estimate > 0 ? ratios : unknown_ratios);
    }
  }
  int changes = 0, unknown_changes = 0;
  if (report.comparison)
    for (const Decision& change : report.comparison->procedures)
      ++(change.ratio.estimate > 0 ? changes : unknown_changes);
  const int bands = report.comparison ? 1 : 0;
  nlohmann::json charts = {"ratios", "figures", "timeline"};
  if (report.comparison) charts.push_back("change");
  const std::string title = report.label.empty() ? "callbench-report" : "callbench-report: " + report.label;
  return {{"marks",
           {{"dots", valid}, {"disturbed", disturbed}, {"disturbed_times", disturbed},
            {"box", summaries}, {"median", summaries}, {"minimum", summaries},
            {"minimum_label", summaries}, {"lines", summaries},
            {"ratio_interval", ratios}, {"ratio_point", ratios}, {"ratio_verdict", ratios},
            {"ratio_unknown", unknown_ratios}, {"ratio_noise_band", 1},
            {"change_interval", changes}, {"change_point", changes}, {"change_verdict", changes},
            {"change_unknown", unknown_changes}, {"change_noise_band", bands}}},
          {"charts", charts},
          {"tables", layout_report(report).sections.size()},
          {"title", title},
          {"series_name", chart_series_name(report, report.series[0])}};
}

void write_page(const std::string& out, const std::string& file, const Report& report, nlohmann::json& pages) {
  std::ofstream(out + "/" + file, std::ios::binary) << make_html_exporter()->render(report);
  nlohmann::json expected = expected_page(report);
  expected["file"] = file;
  pages.push_back(expected);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 4) {
    std::cerr << "usage: callbench-report-html-sample OUTPUT_DIRECTORY [REPORT_TOOL STAND_IN]\n";
    return 2;
  }
  const std::string out = argv[1];

  auto a = made_runs(12, 7, 0), b = made_runs(10, 11, 250);
  a[2][1][1] = -140;   // TestNoFrameB
  a[6][0][2] = 0;      // TheOne
  b[4][2][3] = -2200;  // TestWithFrame
  Report two;
  two.kind = Report::Kind::Interleaved;
  two.label = "two series " + kHostile;
  two.analysis_settings.noise_threshold = 0.02;
  two.series = {series_of(a, "A"), series_of(b, "B")};
  two.series[0].command = {"./callbench", kHostile};
  two.series[1].command = {"wine", "callbench.exe"};
  analyse_report(two);

  auto plain = made_runs(5, 3, 0);
  for (std::size_t r = 0; r < plain.size(); ++r)  // a procedure with no valid figure at all
    for (Sweep& sweep : plain[r]) sweep[3] = -10 * static_cast<std::int32_t>(r + 1);
  Report one;
  one.label = "one series";
  one.series = {series_of(plain)};
  analyse_report(one);

  nlohmann::json pages = nlohmann::json::array();
  write_page(out, "two-series.html", two, pages);
  write_page(out, "one-series.html", one, pages);
  if (argc == 4) {
    // Disturbed TheOne figures on one side leave ratios unknown; the other side is steady.
    const std::string command = std::string(argv[2]) + " --runs 3 --html " + out + "/tool.html --json " + out +
                                "/tool.json -- " + argv[3] + " zero --vs " + argv[3] + " good";
    if (std::system(command.c_str()) != 0) {
      std::cerr << "callbench-report failed: " << command << '\n';
      return 1;
    }
    std::ifstream in(out + "/tool.json");
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Report written = parse_report_json(text, out + "/tool.json");
    for (auto& series : written.series) series.file.reset();  // as the tool saw them when it wrote the page
    analyse_report(written);
    nlohmann::json expected = expected_page(written);
    expected["file"] = "tool.html";
    pages.push_back(expected);
  }
  std::ofstream(out + "/pages.json") << pages.dump(2) << '\n';
  return 0;
}
