// Writes report pages from series made here and, beside them in pages.json,
// what each must show, counted from that same report:
// - two interleaved series with disturbed figures and names that try to break
//   the page (markup, U+2028, a byte that is not UTF-8);
// - one series, a procedure of which has no valid figure;
// - the two shapes a processor gives: procedures within 20 % of each other,
//   and one ten times dearer than the rest; alone and as A against B;
// - twenty report files compared, of machines of both shapes.
// Given the tool and a stand-in benchmark, it also has callbench-report write
// a page of interleaved runs and counts what that page must show from the
// JSON written with it.
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>

#include <nlohmann/json.hpp>

#include "analyse/report_analysis.hpp"
#include "core/processor_identity.hpp"
#include "core/report_json.hpp"
#include "series_builder.hpp"
#include "write/exporter.hpp"
#include "write/html/chart_data.hpp"
#include "write/html/html_text.hpp"
#include "write/layout.hpp"

using namespace callbench;

namespace {

const std::string kHostile = "</script><b class=\"injected\">x</b>&amp;";
const std::string kLineBreaking = "line\u2028separator\u2029";
const std::string kNotUtf8 = "bad \xff\xfe byte";

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

// What processors do to the four procedures, relative to TheOne.
const Sweep kClose = {8560, 8800, 8000, 6800};  // all within 20 % of each other
const Sweep kDear = {30000, 3400, 3125, 3430};  // a locked exchange 9.6 times TheOne

// Runs of one shape, with a warm-up that makes the first run dearer.
std::vector<Figures> shaped_runs(const Sweep& shape, std::size_t count, double noise, std::uint64_t seed) {
  std::vector<Figures> runs = noisy_runs(count, shape, 1.0, noise, seed);
  for (Sweep& sweep : runs[0])
    for (std::int32_t& figure : sweep) figure += figure / 8;
  return runs;
}

// What a page must show, counted from its report: marks by name ("a+b" sums
// two, numbered marks are summed over panels), charts, tables, and texts that
// must stay text.
nlohmann::json expected_page(const Report& report) {
  int valid = 0, disturbed = 0, summaries = 0, ratios = 0, ratio_widths = 0, rows = 0;
  for (const Series& series : report.series) {
    for (std::size_t p = 0; p < kProcedures; ++p) {
      int valid_here = 0;
      for (const Run& run : series.runs)
        for (const Sweep& sweep : run.figures) ++(sweep[p] > 0 ? valid_here : disturbed);
      valid += valid_here;
      summaries += valid_here > 0;
      if (p == kReference) continue;
      ++rows;
      const Interval& ratio = series.analysis->paired[p].decision.ratio;
      ratios += ratio.estimate > 0;
      ratio_widths += ratio.estimate > 0 && ratio.bounded && ratio.high > ratio.low;
    }
  }
  int changes = 0, change_widths = 0;
  if (report.comparison)
    for (const Decision& change : report.comparison->procedures) {
      changes += change.ratio.estimate > 0;
      change_widths +=
          change.ratio.estimate > 0 && change.ratio.bounded && change.ratio.high > change.ratio.low;
    }
  const int bands = report.comparison ? 1 : 0;
  nlohmann::json series_names = nlohmann::json::array();
  for (const Series& series : report.series) series_names.push_back(chart_series_name(report, series));
  nlohmann::json charts = {"ratios", "figures", "timeline"};
  if (report.comparison) charts.push_back("change");
  const std::string title =
      report.kind == Report::Kind::Files
          ? "callbench-report: " + std::to_string(report.series.size()) + " series compared"
      : report.label.empty() ? "callbench-report"
                             : "callbench-report: " + report.label;
  return {{"marks",
           {{"dots+offscale", valid},
            {"disturbed", disturbed},
            {"disturbed_times", disturbed},
            {"box", summaries},
            {"median", summaries},
            {"minimum", summaries},
            {"median_label", summaries},
            {"line", summaries},
            {"points+outliers", valid},
            {"ratio_interval", ratio_widths},
            {"ratio_estimate", ratios},
            {"ratio_numbers", rows},
            {"ratio_band", report.series.size() == 1 ? 1 : static_cast<int>(kProcedures - 1)},
            {"change_interval", change_widths},
            {"change_estimate", changes},
            {"change_numbers", report.comparison ? static_cast<int>(kProcedures) : 0},
            {"change_band", bands}}},
          {"charts", charts},
          {"tables", layout_report(report).sections.size()},
          {"title", valid_utf8(title)},
          {"series_names", series_names}};
}

void write_page(const std::string& out, const std::string& file, const Report& report, nlohmann::json& pages) {
  std::ofstream(out + "/" + file, std::ios::binary) << export_html(report);
  nlohmann::json expected = expected_page(report);
  expected["file"] = file;
  pages.push_back(expected);
}

Report single(const std::string& label, std::vector<Figures> runs) {
  Report report;
  report.label = label;
  report.series = {series_of(runs)};
  analyse_report(report);
  return report;
}

// Twenty machines' report files, of both shapes, some named by label, some by
// host and date (one date cut inside a character), one label that breaks lines.
Report fleet() {
  Report report;
  report.kind = Report::Kind::Files;
  for (int k = 1; k <= 20; ++k) {
    const bool dear = k % 3 == 0;
    Series series = series_of(shaped_runs(dear ? kDear : kClose, 8 + k % 5, dear ? 0.02 : 0.06, 100 + k),
                              "[" + std::to_string(k) + "]");
    series.file = "/reports/machine-" + std::to_string(k) + ".json";
    series.conditions.processor =
        Processor{dear ? "Intel(R) Xeon(R) Gold 6248 CPU @ 2.50GHz" : "AMD EPYC 7B13", true,
                  identify_processor(dear ? "GenuineIntel" : "AuthenticAMD", dear ? 0x00050657 : 0x00A00F11)};
    series.conditions.host = "host-" + std::to_string(k);
    series.conditions.date_utc = k == 4 ? "2026-12-0\xc3\xa9T10:00:00Z" : "2026-12-09T10:00:00Z";
    if (k % 4 != 0) series.label = "machine " + std::to_string(k) + (k == 7 ? " " + kLineBreaking : "");
    report.series.push_back(series);
  }
  analyse_report(report);
  return report;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 4) {
    std::cerr << "usage: callbench-report-html-sample OUTPUT_DIRECTORY [REPORT_TOOL STAND_IN]\n";
    return 2;
  }
  const std::string out = argv[1];
  nlohmann::json pages = nlohmann::json::array();

  auto a = made_runs(12, 7, 0), b = made_runs(10, 11, 250);
  a[2][1][1] = -140;   // TestNoFrameB
  a[6][0][2] = 0;      // TheOne
  b[4][2][3] = -2200;  // TestWithFrame
  Report two;
  two.kind = Report::Kind::Interleaved;
  two.label = "two series " + kHostile + " " + kLineBreaking + " " + kNotUtf8;
  two.analysis_settings.noise_threshold = 0.02;
  two.series = {series_of(a, "A"), series_of(b, "B")};
  two.series[0].command = {"./callbench", kLineBreaking, kHostile};
  two.series[1].command = {"wine", "callbench.exe", kNotUtf8};
  analyse_report(two);
  write_page(out, "two-series.html", two, pages);

  auto plain = made_runs(5, 3, 0);
  for (std::size_t r = 0; r < plain.size(); ++r)  // a procedure with no valid figure at all
    for (Sweep& sweep : plain[r]) sweep[3] = -10 * static_cast<std::int32_t>(r + 1);
  write_page(out, "one-series.html", single("one series", plain), pages);

  write_page(out, "close.html", single("within 20 %", shaped_runs(kClose, 20, 0.06, 1)), pages);
  write_page(out, "dear.html", single("one ten times dearer", shaped_runs(kDear, 40, 0.02, 2)), pages);
  Report shapes;
  shapes.kind = Report::Kind::Interleaved;
  shapes.label = "both shapes";
  shapes.series = {series_of(shaped_runs(kDear, 15, 0.02, 3), "A"),
                   series_of(shaped_runs(kClose, 15, 0.06, 4), "B")};
  analyse_report(shapes);
  write_page(out, "shapes.html", shapes, pages);
  write_page(out, "fleet.html", fleet(), pages);

  if (argc == 4) {
    // Disturbed TheOne figures on one side leave ratios unknown; the other side is steady. The
    // stand-in ignores the arguments after its first, which must reach the page as text.
    const std::string command = std::string(argv[2]) + " --runs 3 --html " + out + "/tool.html --json " + out +
                                "/tool.json -- " + argv[3] + " zero '" + kLineBreaking + "' --vs " + argv[3] +
                                " good '" + kNotUtf8 + "'";
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
  std::ofstream(out + "/pages.json") << pages.dump(2, ' ', false, nlohmann::json::error_handler_t::replace)
                                     << '\n';
  return 0;
}
