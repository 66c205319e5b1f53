// Exports for continuous-benchmarking services: Bencher's metric format and
// the custom input of the GitHub benchmark action.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>

#include <nlohmann/json.hpp>

#include "core/text.hpp"
#include "write/exporter.hpp"
#include "write/number_format.hpp"

namespace callbench {
namespace {

using Json = nlohmann::ordered_json;

// One figure a continuous-benchmarking service tracks: a series' median of a
// procedure, or its ratio to the reference, with its interval when there is one.
struct TrackedFigure {
  std::string benchmark;  // "TestNoFrameA", or "<series>/TestNoFrameA"
  std::string measure;    // "millicycles" or "ratio-to-TheOne"
  Interval value;
};

// What names a series read from a report file from one report to the next:
// its label, else its machine, never its date (each day would start a new
// history) nor its processor (older reports do not record it); with its own
// name where its file held several (A and B of one --vs report).
std::string lasting_name(const Series& series) {
  const auto& c = series.conditions;
  const std::string name = !series.label.empty() ? series.label
                           : c.machine_label     ? *c.machine_label
                                                 : c.host.value_or("unnamed");
  return series.name_in_file.empty() ? name : name + "/" + series.name_in_file;
}

// Bencher takes benchmark names of up to 1,024 characters; the GitHub action
// documents no limit and gets the same names. Counted in bytes, which are
// never fewer, and with room after a series' name for the longest rest of a
// name: "/TestWithFrame ratio-to-TheOne".
constexpr std::size_t kMaxNameBytes = 1024;
constexpr std::size_t kMaxSeriesNameBytes = kMaxNameBytes - 32;

// The name as the terminal shows it: the services print names in pages and
// alerts, where a label from a file may not break a line, send escape
// sequences or reorder text. When too long, its start cut between characters
// and a hash of it all, so that it stays the same from one report to the next
// and apart from others.
std::string fitted(const std::string& name) {
  const std::string text = printable(name);
  if (text.size() <= kMaxSeriesNameBytes) return text;
  std::uint64_t hash = 0xcbf29ce484222325u;  // FNV-1a
  for (const unsigned char byte : text) hash = (hash ^ byte) * 0x100000001b3u;
  char tail[16];
  std::snprintf(tail, sizeof tail, "~%012llx", static_cast<unsigned long long>(hash >> 16));
  std::size_t cut = kMaxSeriesNameBytes - std::strlen(tail);
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xc0) == 0x80) --cut;
  return text.substr(0, cut) + tail;
}

// The names a file holds, and the last number each name met was given.
struct Names {
  std::set<std::string> taken;
  std::map<std::string, int> numbered;
};

// The name fitted, or the first of "name #2", "name #3"... not taken yet:
// series that go by one name keep their benchmarks apart, numbered in their
// order (each name counts on from its last number, however many share it).
std::string distinct(const std::string& name, Names& names) {
  std::string candidate = fitted(name);
  int& last = names.numbered[name];
  while (!names.taken.insert(candidate).second)
    candidate = fitted(name + " #" + std::to_string(last = std::max(last, 1) + 1));
  return candidate;
}

// Every figure worth tracking, from the series this report measured or read
// from files (not a baseline, which was tracked when it was made). The runs a
// report made keep the names they would have without a baseline: their
// procedures' alone, or "A/" and "B/" before them for two commands (also
// for the one left when the other had no valid run).
std::vector<TrackedFigure> tracked_figures(const Report& report) {
  std::vector<TrackedFigure> figures;
  Names names;
  for (const auto& series : report.series) {
    if (report.kind == Report::Kind::Baseline && series.file) continue;
    std::string prefix;
    if (report.kind == Report::Kind::Files)
      prefix = distinct(lasting_name(series), names) + "/";
    else if (report.kind == Report::Kind::Interleaved)
      prefix = distinct(series.name, names) + "/";
    if (!series.analysis) continue;
    for (std::size_t p = 0; p < kProcedures; ++p) {
      const std::string benchmark = prefix + std::string(kProcedureNames[p]);
      if (const auto& median = series.analysis->procedures[p].median)
        figures.push_back({benchmark, "millicycles", *median});
      const auto& ratio = series.analysis->paired[p].decision.ratio;
      if (p != kReference && ratio.estimate > 0)
        figures.push_back({benchmark, "ratio-to-" + std::string(kReferenceName), ratio});
    }
  }
  return figures;
}

std::string dump(const Json& json) {
  return json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

std::string number(double value) {
  char text[48];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}

}  // namespace

// {"TestNoFrameA": {"millicycles": {"value", "lower_value", "upper_value"}, ...}, ...}
std::string export_bencher(const Report& report) {
  Json benchmarks = Json::object();
  for (const auto& figure : tracked_figures(report)) {
    Json metric = {{"value", figure.value.estimate}};
    if (figure.value.bounded) {
      metric["lower_value"] = figure.value.low;
      metric["upper_value"] = figure.value.high;
    }
    benchmarks[figure.benchmark][figure.measure] = metric;
  }
  return dump(benchmarks);
}

// [{"name", "unit", "value", "range", "extra"}, ...], smaller is better.
std::string export_github_benchmark(const Report& report) {
  Json entries = Json::array();
  for (const auto& figure : tracked_figures(report)) {
    Json entry = {{"name", figure.benchmark + " " + figure.measure},
                  {"unit", figure.measure == "millicycles" ? kUnit : "ratio"},
                  {"value", figure.value.estimate}};
    if (figure.value.bounded) {
      entry["range"] = "± " + number((figure.value.high - figure.value.low) / 2);
      entry["extra"] =
          confidence_percent() + "% CI [" + number(figure.value.low) + ", " + number(figure.value.high) + "]";
    }
    entries.push_back(entry);
  }
  return dump(entries);
}

}  // namespace callbench
