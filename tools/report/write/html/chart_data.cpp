#include "write/html/chart_data.hpp"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <set>

#include "write/html/html_text.hpp"
#include "write/series_labels.hpp"

namespace callbench {

namespace {

// Charts tell series apart by name, so two that share one get a number.
std::vector<std::string> distinct_names(const Report& report) {
  std::vector<std::string> names;
  std::set<std::string> taken;
  for (const Series& s : report.series) {
    const std::string given = chart_series_name(report, s);
    const std::string base = given.empty() ? "series" : given;
    std::string name = base;
    for (int n = 2; taken.count(name) != 0; ++n) name = base + " (" + std::to_string(n) + ")";
    taken.insert(name);
    names.push_back(name);
  }
  return names;
}

// "Intel(R) Xeon(R) Gold 6248 CPU @ 2.50GHz" as "Intel Xeon Gold 6248 @ 2.50GHz":
// the marks and padding say nothing that tells processors apart.
std::string compact_brand(std::string brand) {
  for (const char* noise : {"(R)", "(r)", "(TM)", "(tm)", " CPU", " Processor"}) {
    for (std::size_t at = brand.find(noise); at != std::string::npos; at = brand.find(noise, at))
      brand.erase(at, std::string(noise).size());
  }
  std::string compact;
  for (char c : brand)
    if (c != ' ' || (!compact.empty() && compact.back() != ' ')) compact += c;
  while (!compact.empty() && compact.back() == ' ') compact.pop_back();
  return compact;
}

// Many series from report files are most often many machines: the processor says which.
std::string row_label(const Series& series, const std::string& name) {
  if (!series.file || !series.conditions.processor) return name;
  const std::string brand = compact_brand(series.conditions.processor->brand);
  return brand.empty() ? name : name + " · " + shortened_characters(brand, kChartNameLength);
}

// One procedure's figures of a series in the order they were measured.
std::vector<std::int32_t> figures_in_order(const Series& series, std::size_t procedure) {
  std::vector<std::int32_t> figures;
  figures.reserve(series.runs.size() * kSweeps);
  for (const Run& run : series.runs)
    for (const Sweep& sweep : run.figures) figures.push_back(sweep[procedure]);
  return figures;
}

}  // namespace

std::string chart_series_name(const Report& report, const Series& series) {
  std::string name;
  if (series.file)
    name = series.name + " " + series_label(series);
  else
    name = series_prefix(report, series) + source_text(series);
  return shortened_characters(name, kChartNameLength);
}

ChartData collect_chart_data(const Report& report) {
  ChartData data;
  data.kind = report.kind;
  data.noise_threshold = report.analysis_settings.noise_threshold;
  if (report.comparison) data.comparison = &*report.comparison;
  const std::vector<std::string> names = distinct_names(report);
  bool any_run = false;
  for (std::size_t s = 0; s < report.series.size(); ++s) {
    const Series& series = report.series[s];
    ChartSeries chart{&series, names[s], row_label(series, names[s]), {}, {}};
    for (std::size_t p = 0; p < kProcedures; ++p) {
      chart.summaries[p] = summarise(figures_in_order(series, p));
      chart.ranges[p] = robust_range(chart.summaries[p]);
    }
    for (const Run& run : series.runs) {
      data.first_run = any_run ? std::min(data.first_run, run.number) : run.number;
      data.last_run = any_run ? std::max(data.last_run, run.number) : run.number;
      any_run = true;
    }
    data.series.push_back(std::move(chart));
  }
  return data;
}

std::vector<std::size_t> row_order(const ChartData& data, const std::vector<double>& keys) {
  std::vector<std::size_t> order(data.series.size());
  std::iota(order.begin(), order.end(), 0);
  if (data.kind != Report::Kind::Files || data.series.size() <= 2) return order;
  const auto key = [&keys](std::size_t s) { return std::isfinite(keys[s]) ? keys[s] : HUGE_VAL; };
  std::stable_sort(order.begin(), order.end(),
                   [&key](std::size_t a, std::size_t b) { return key(a) < key(b); });
  return order;
}

}  // namespace callbench
