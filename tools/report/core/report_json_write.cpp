#include "write/json.hpp"

#include "run/interruption.hpp"

namespace callbench {
namespace {

using Json = nlohmann::ordered_json;

template <typename T>
Json optional_value(const std::optional<T>& value) {
  return value ? Json(*value) : Json(nullptr);
}

std::string name(std::size_t proc) { return std::string(kProcedureNames[proc]); }

Json interval_json(const std::optional<Interval>& interval) {
  if (!interval) return nullptr;
  return {{"estimate", interval->estimate},
          {"low", interval->low},
          {"high", interval->high},
          {"resampled", interval->resampled}};
}

Json load_json(const std::optional<LoadAverage>& load) {
  if (!load) return nullptr;
  return Json::array({load->one, load->five, load->fifteen});
}

Json calibration_json(const std::optional<Calibration>& c) {
  if (!c) return nullptr;
  return {{"clocks_per_tick", c->clocks_per_tick}, {"low", c->low}, {"high", c->high},
          {"samples", c->samples}, {"additions", c->additions}};
}

const char* priority_word(Priority::Raise raise) {
  switch (raise) {
    case Priority::Raise::Effective: return "effective";
    case Priority::Raise::NotPermitted: return "not permitted";
    case Priority::Raise::Unknown: break;
  }
  return "unknown";
}

nlohmann::ordered_json conditions_json(const Conditions& c) {
  Json processor = nullptr;
  if (c.processor)
    processor = {{"brand", c.processor->brand}, {"invariant_tsc", optional_value(c.processor->invariant_tsc)}};
  return {{"date_utc", c.date_utc},
          {"tool_version", c.tool_version},
          {"machine_label", optional_value(c.machine_label)},
          {"host", optional_value(c.host)},
          {"os", optional_value(c.os)},
          {"processor", processor},
          {"tsc_hz", optional_value(c.tsc_hz)},
          {"load_before", load_json(c.load_before)},
          {"load_after", load_json(c.load_after)},
          {"priority", {{"raise", priority_word(c.priority.raise)}, {"detail", c.priority.detail}}},
          {"cpu", optional_value(c.cpu)},
          {"calibration_before", calibration_json(c.calibration_before)},
          {"calibration_after", calibration_json(c.calibration_after)}};
}

nlohmann::ordered_json series_json(const Series& series, const SeriesAnalysis* analysis) {
  Json json;
  json["name"] = series.name;
  json["command"] = series.command;
  json["captures"] = series.captures;
  json["benchmark"] = series.benchmark
                          ? Json{{"path", series.benchmark->path},
                                 {"sha256", optional_value(series.benchmark->sha256)}}
                          : Json(nullptr);
  json["wine_version"] = optional_value(series.wine_version);
  json["runs_requested"] = series.runs_requested;
  json["warmup_runs"] = series.warmup_runs;
  json["runs_valid"] = series.runs.size();
  if (series.sizes) {
    Json sizes = Json::object();
    for (std::size_t proc = 0; proc < kProcedures; ++proc) sizes[name(proc)] = (*series.sizes)[proc];
    json["sizes"] = sizes;
  } else {
    json["sizes"] = nullptr;
  }

  Json runs = Json::array();
  for (const auto& run : series.runs) {
    Json sweeps = Json::array();
    for (const auto& sweep : run.figures) {
      Json figures = Json::object();
      for (std::size_t proc = 0; proc < kProcedures; ++proc) figures[name(proc)] = sweep[proc];
      sweeps.push_back(figures);
    }
    runs.push_back({{"run", run.number}, {"wall_seconds", optional_value(run.wall_seconds)}, {"sweeps", sweeps}});
  }
  json["runs"] = runs;
  Json failures = Json::array();
  for (const auto& failure : series.failures)
    failures.push_back({{"run", failure.number}, {"reason", failure.reason}});
  json["failed_runs"] = failures;

  if (analysis) {
    Json procedures = Json::object();
    Json paired = Json::object();
    for (std::size_t proc = 0; proc < kProcedures; ++proc) {
      const auto& f = analysis->procedures[proc];
      procedures[name(proc)] = {{"valid", f.valid},
                                {"disturbed", f.disturbed},
                                {"min", optional_value(f.min)},
                                {"median", interval_json(f.median)},
                                {"max", optional_value(f.max)},
                                {"spread", optional_value(f.spread)},
                                {"noisy", f.noisy},
                                {"core_cycles_per_call", optional_value(f.core_cycles_per_call)}};
      if (proc == kReference) continue;
      const auto& p = analysis->paired[proc];
      paired[name(proc)] = {{"sweeps", p.sweeps},
                            {"higher", p.higher},
                            {"ratio", interval_json(p.ratio)},
                            {"difference", interval_json(p.difference)},
                            {"verdict", verdict_word(p.verdict)}};
    }
    json["analysis"] = {{"procedures", procedures},
                        {"paired_with_" + name(kReference), paired},
                        {"median_wall_seconds", optional_value(analysis->median_wall_seconds)}};
  }
  return json;
}

}  // namespace

nlohmann::ordered_json to_json(const Report& report) {
  Json json;
  json["format_version"] = kFormatVersion;
  json["tool"] = "callbench-report";
  json["tool_version"] = report.conditions.tool_version;
  json["label"] = report.label;
  json["unit"] = report.unit;
  json["conditions"] = conditions_json(report.conditions);
  const auto& r = report.run_settings;
  const auto& a = report.analysis_settings;
  json["settings"] = {{"timeout_seconds", r.timeout_seconds}, {"warmup", r.warmup},
                      {"precision", optional_value(r.precision)}, {"max_runs", r.max_runs},
                      {"cpu", optional_value(r.cpu)}, {"interleaved", r.interleaved},
                      {"seed", a.seed}, {"resamples", a.resamples}, {"confidence", a.confidence},
                      {"noise_threshold", a.noise_threshold}};
  json["interrupted"] = report.interrupted_by == 0
                            ? Json(nullptr)
                            : Json({{"signal", signal_name(report.interrupted_by)}});
  json["precision"] = report.precision
                          ? Json{{"target", report.precision->target},
                                 {"reached", report.precision->reached},
                                 {"runs", report.precision->runs},
                                 {"widest", report.precision->widest}}
                          : Json(nullptr);

  // A baseline's own runs stay in its own file; this one names it.
  const std::size_t own = report.series.size() - (report.baseline ? 1 : 0);
  Json series = Json::array();
  for (std::size_t i = 0; i < own; ++i)
    series.push_back(series_json(report.series[i], i < report.analysis.size() ? &report.analysis[i] : nullptr));
  json["series"] = series;
  json["baseline"] = report.baseline
                         ? Json{{"file", report.baseline->file},
                                {"format_version", report.baseline->format_version},
                                {"label", report.baseline->label},
                                {"runs_valid", report.series.back().runs.size()},
                                {"conditions", conditions_json(report.baseline->conditions)}}
                         : Json(nullptr);

  if (report.comparison && report.series.size() >= 2) {
    const auto& c = *report.comparison;
    Json procedures = Json::object();
    for (std::size_t proc = 0; proc < kProcedures; ++proc) {
      const auto& p = c.procedures[proc];
      procedures[name(proc)] = {
          {"ratio", interval_json(p.ratio)},
          {"test", p.test ? Json{{"u", p.test->u}, {"z", p.test->z}, {"p_value", p.test->p_value}}
                          : Json(nullptr)},
          {"verdict", verdict_word(p.verdict)}};
    }
    json["comparison"] = {{"a", report.series[0].name}, {"b", report.series[1].name},
                          {"paired_runs", c.paired_runs}, {"pairs", c.pairs},
                          {"procedures", procedures}};
  } else {
    json["comparison"] = nullptr;
  }
  return json;
}

std::string json_text(const Report& report) {
  // Bytes that are not UTF-8 (a command's own arguments may hold any) become U+FFFD
  // instead of failing the write.
  return to_json(report).dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

}  // namespace callbench
