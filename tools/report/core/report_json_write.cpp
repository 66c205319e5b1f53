// The JSON file this tool writes, format version 4: every series with its own
// conditions (the processor's identity among them), a baseline's runs kept.
#include <functional>

#include "core/json_field.hpp"
#include "core/processor_identity.hpp"
#include "core/report_json.hpp"
#include "core/report_json_keys.hpp"

namespace callbench {
namespace {

namespace key = json_key;

// The words of Report::Kind, in the order of its values.
constexpr const char* kKindWords[] = {"single", "interleaved", "baseline", "files"};

template <typename T>
Json optional_value(const std::optional<T>& value) {
  return value ? Json(*value) : Json(nullptr);
}

Json interval_json(const Interval& interval) {
  return {{"estimate", interval.estimate},
          {key::kLow, interval.bounded ? Json(interval.low) : Json(nullptr)},
          {key::kHigh, interval.bounded ? Json(interval.high) : Json(nullptr)}};
}

Json interval_json(const std::optional<Interval>& interval) {
  return interval ? interval_json(*interval) : Json(nullptr);
}

Json decision_json(const Decision& d) {
  return {{"ratio", interval_json(d.ratio)},
          {"test", d.p_value ? Json{{"p_value", *d.p_value},
                                    {"p_adjusted", optional_value(d.p_adjusted)},
                                    {"degrees_of_freedom", d.degrees_of_freedom}}
                             : Json(nullptr)},
          {"verdict", verdict_word(d.verdict)},
          {"resolvable", optional_value(d.resolvable)},
          {key::kRunsNeeded, optional_value(d.runs_needed)}};
}

Json load_json(const std::optional<LoadAverage>& load) {
  if (!load) return nullptr;
  return Json::array({load->one, load->five, load->fifteen});
}

Json calibration_json(const std::optional<Calibration>& c) {
  if (!c) return nullptr;
  return {{key::kSamples, c->samples}, {key::kAdditions, c->additions}};
}

Json checks_json(const std::vector<MachineCheck>& checks) {
  Json list = Json::array();
  for (const auto& check : checks)
    list.push_back({{key::kKey, check.key},
                    {key::kTitle, check.title},
                    {key::kValue, check.value},
                    {key::kStatus, status_name(check.status)},
                    {key::kAdvice, check.advice}});
  return list;
}

Json identity_json(const std::optional<ProcessorIdentity>& identity) {
  if (!identity) return nullptr;
  return {{key::kVendor, identity->vendor},
          {key::kSignature, hex_text(identity->signature)},
          {key::kFamily, identity->family},
          {key::kModel, identity->model},
          {key::kStepping, identity->stepping},
          {key::kMicrocode, identity->microcode ? Json(hex_text(*identity->microcode)) : Json(nullptr)},
          {key::kMicroarchitecture, identity->microarchitecture}};
}

Json conditions_json(const Conditions& c) {
  Json processor = nullptr;
  if (c.processor)
    processor = {{key::kBrand, c.processor->brand},
                 {key::kInvariantTsc, optional_value(c.processor->invariant_tsc)},
                 {key::kIdentity, identity_json(c.processor->identity)}};
  return {{key::kDateUtc, c.date_utc},
          {key::kToolVersion, c.tool_version},
          {key::kMachineLabel, optional_value(c.machine_label)},
          {key::kHost, optional_value(c.host)},
          {key::kOs, optional_value(c.os)},
          {key::kProcessor, processor},
          {key::kTscHz, optional_value(c.tsc_hz)},
          {key::kLoadBefore, load_json(c.load_before)},
          {key::kLoadAfter, load_json(c.load_after)},
          {key::kPriority,
           {{key::kRaise, key::kRaiseWords[static_cast<int>(c.priority.raise)]},
            {key::kDetail, c.priority.detail}}},
          {key::kCpu, optional_value(c.cpu)},
          {key::kCalibrationBefore, calibration_json(c.calibration_before)},
          {key::kCalibrationAfter, calibration_json(c.calibration_after)},
          {key::kChecks, checks_json(c.checks)}};
}

Json analysis_json(const SeriesAnalysis& analysis) {
  Json procedures = Json::object();
  Json paired = Json::object();
  Json drift = Json::object();
  for (std::size_t proc = 0; proc < kProcedures; ++proc) {
    const auto& f = analysis.procedures[proc];
    const auto name = key::procedure_key(proc);
    procedures[name] = {{"valid", f.valid},
                        {"disturbed", f.disturbed},
                        {"low_outliers", f.low_outliers},
                        {"high_outliers", f.high_outliers},
                        {"runs_left_out", f.runs_left_out},
                        {"min", optional_value(f.min)},
                        {"median", interval_json(f.median)},
                        {"max", optional_value(f.max)},
                        {"spread", optional_value(f.spread)},
                        {"noisy", f.noisy},
                        {"core_cycles_per_call", optional_value(f.core_cycles_per_call)}};
    drift[name] = optional_value(analysis.drift[proc]);
    if (proc == kReference) continue;
    const auto& p = analysis.paired[proc];
    Json entry = {{key::kSweeps, p.sweeps}, {"higher", p.higher}, {"runs_left_out", p.runs_left_out}};
    entry.update(decision_json(p.decision));
    entry["difference"] = interval_json(p.difference);
    paired[name] = entry;
  }
  Json clock = nullptr;
  if (analysis.clock)
    clock = {{key::kClocksPerTick, analysis.clock->clocks_per_tick},
             {"stable", analysis.clock->stable},
             {"before", optional_value(analysis.clock->before)},
             {"after", optional_value(analysis.clock->after)}};
  return {{key::kProcedures, procedures},
          {"paired_with_" + std::string(kReferenceName), paired},
          {"drift", drift},
          {"clock", clock},
          {"median_wall_seconds", optional_value(analysis.median_wall_seconds)}};
}

Json sweeps_json(const Figures& figures) {
  Json sweeps = Json::array();
  for (const auto& sweep : figures) {
    Json values = Json::object();
    for (std::size_t proc = 0; proc < kProcedures; ++proc) values[key::procedure_key(proc)] = sweep[proc];
    sweeps.push_back(values);
  }
  return sweeps;
}

Json run_json(const Run& run) {
  return {{key::kRun, run.number},
          {key::kSequence, optional_value(run.sequence)},
          {key::kWallSeconds, optional_value(run.wall_seconds)},
          {key::kSweeps, sweeps_json(run.figures)}};
}

Json failure_json(const FailedRun& failure) {
  return {{key::kRun, failure.number}, {key::kReason, failure.reason}};
}

Json series_json(const Series& series) {
  Json json;
  json[key::kName] = series.name;
  json[key::kLabel] = series.label;
  json["file"] = optional_value(series.file);
  json[key::kCommand] = series.command;
  json[key::kCaptures] = series.captures;
  json[key::kBenchmark] = series.benchmark ? Json{{key::kPath, series.benchmark->path},
                                                  {key::kSha256, optional_value(series.benchmark->sha256)}}
                                           : Json(nullptr);
  json[key::kWineVersion] = optional_value(series.wine_version);
  json[key::kConditions] = conditions_json(series.conditions);
  json[key::kRunsRequested] = series.runs_requested;
  json[key::kWarmupRuns] = series.warmup_runs;
  json["runs_valid"] = series.runs.size();
  json[key::kSizes] = nullptr;
  if (series.sizes)
    for (std::size_t proc = 0; proc < kProcedures; ++proc)
      json[key::kSizes][key::procedure_key(proc)] = (*series.sizes)[proc];
  // Placeholders: the runs and failed runs are written one at a time, each on
  // a line of its own, so that no document of every run is held at once.
  json[key::kRuns] = Json::array();
  json[key::kFailedRuns] = Json::array();
  json["analysis"] = series.analysis ? analysis_json(*series.analysis) : Json(nullptr);
  return json;
}

// Without runs made (a report of saved outputs, `compare`) the run settings are null.
Json settings_json(const Report& report) {
  const auto r = report.run_settings.value_or(RunSettings());
  Json settings = {{key::kRuns, r.runs},
                   {"warmup", r.warmup},
                   {key::kPrecision, optional_value(r.precision)},
                   {"max_runs", r.max_runs},
                   {"timeout_seconds", r.timeout_seconds}};
  if (!report.run_settings)
    for (auto& value : settings) value = nullptr;
  settings[key::kInterleaved] = report.kind == Report::Kind::Interleaved;
  settings[key::kSeed] = optional_value(report.analysis_settings.seed);
  settings["confidence"] = stats::kConfidence;
  settings[key::kNoiseThreshold] = report.analysis_settings.noise_threshold;
  return settings;
}

Json position_json(const std::optional<PositionEffect>& position) {
  if (!position) return nullptr;
  Json procedures = Json::object();
  for (std::size_t proc = 0; proc < kProcedures; ++proc)
    procedures[key::procedure_key(proc)] = interval_json(position->procedures[proc]);
  return {{"pairs_a_first", position->a_first},
          {"pairs_b_first", position->b_first},
          {"second_against_first", interval_json(position->overall)},
          {"p_value", optional_value(position->p_value)},
          // Beyond the noise threshold, as a change would be claimed.
          {"notable", position->verdict == Verdict::Slower || position->verdict == Verdict::Faster},
          {key::kProcedures, procedures}};
}

// Each procedure's ratio to the reference, side a against side b; verdicts in their own words.
Json ratio_changes_json(const std::optional<std::array<Decision, kProcedures>>& ratios) {
  if (!ratios) return nullptr;
  Json procedures = Json::object();
  for (std::size_t proc = 0; proc < kProcedures; ++proc) {
    if (proc == kReference) continue;
    Json entry = decision_json((*ratios)[proc]);
    entry["verdict"] = ratio_verdict_word((*ratios)[proc].verdict);
    procedures[key::procedure_key(proc)] = entry;
  }
  return procedures;
}

Json comparison_json(const Report& report) {
  if (!report.comparison) return nullptr;
  const auto& c = *report.comparison;
  Json procedures = Json::object();
  for (std::size_t proc = 0; proc < kProcedures; ++proc)
    procedures[key::procedure_key(proc)] = decision_json(c.procedures[proc]);
  return {{"a", report.series.at(c.a).name},
          {"b", report.series.at(c.b).name},
          {"method", c.method == Comparison::Method::Paired ? "paired" : "across time"},
          {"pairs", c.pairs},
          {key::kProcedures, procedures},
          {"position", position_json(c.position)},
          {"ratios_to_" + key::procedure_key(kReference), ratio_changes_json(c.ratios)}};
}

Json pooled_json(const Report& report) {
  if (!report.pool) return nullptr;
  Json machines = Json::array();
  for (const auto& machine : report.pooled) {
    Json series = Json::array();
    for (const auto i : machine.series) series.push_back(report.series.at(i).name);
    Json procedures = Json::object();
    for (std::size_t proc = 0; proc < kProcedures; ++proc) {
      Json entry = {{"median", interval_json(machine.medians[proc])}};
      if (proc != kReference) {
        entry["ratio_to_" + key::procedure_key(kReference)] = decision_json(machine.ratios[proc]);
        entry["between_reports"] = optional_value(machine.between_reports[proc]);
      }
      procedures[key::procedure_key(proc)] = entry;
    }
    machines.push_back({{"machine", machine.label},
                        {key::kSeries, series},
                        {"reports", machine.series.size()},
                        {key::kRuns, machine.runs},
                        {key::kProcedures, procedures}});
  }
  return machines;
}

Json precision_json(const std::optional<PrecisionOutcome>& precision) {
  if (!precision) return nullptr;
  return {{"target", precision->target},
          {"reached", precision->reached},
          {key::kRuns, precision->runs},
          {"widest", precision->widest > 0 ? Json(precision->widest) : Json(nullptr)},  // none told
          {key::kRunsNeeded, optional_value(precision->runs_needed)}};
}

// ---------------------------------------------------------------- the text

// Text that is not UTF-8 (a command's own arguments may hold any) becomes U+FFFD.
std::string dumped(const Json& json, int indent) {
  return json.dump(indent, ' ', false, Json::error_handler_t::replace);
}

// Indented as at the given depth; strings hold no raw line breaks, so every
// line break is one of the layout's.
std::string nested(const Json& json, int depth) {
  std::string text = dumped(json, 1);
  const std::string margin = "\n" + std::string(static_cast<std::size_t>(depth), ' ');
  for (auto at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + margin.size()))
    text.replace(at, 1, margin);
  return text;
}

// Each element of a list on a line of its own, at the given depth.
template <typename Item>
std::string one_a_line(const std::vector<Item>& items, const std::function<std::string(const Item&)>& item_text,
                       int depth) {
  if (items.empty()) return "[]";
  const std::string margin(static_cast<std::size_t>(depth + 1), ' ');
  std::string text = "[\n";
  for (std::size_t i = 0; i < items.size(); ++i)
    text += margin + item_text(items[i]) + (i + 1 < items.size() ? ",\n" : "\n");
  return text + std::string(static_cast<std::size_t>(depth), ' ') + "]";
}

// An object indented one space a level, as dump(1) lays it out, each value
// as value_text gives it.
std::string laid_out(const Json& object, int depth,
                     const std::function<std::string(const std::string&, const Json&, int)>& value_text) {
  if (object.empty()) return "{}";
  const std::string margin(static_cast<std::size_t>(depth + 1), ' ');
  std::string text = "{\n";
  std::size_t left = object.size();
  for (auto item = object.begin(); item != object.end(); ++item) {
    text += margin + dumped(Json(item.key()), -1) + ": " + value_text(item.key(), *item, depth + 1);
    text += --left ? ",\n" : "\n";
  }
  return text + std::string(static_cast<std::size_t>(depth), ' ') + "}";
}

// The document as dump(1) lays it out, except that each series' runs and
// failed runs are written one a line: files of many runs stay small enough
// to read back, and are written without a document of every run in memory.
std::string document_text(const Json& document, const Report& report) {
  const auto series_text = [](const Series& series, int depth) {
    return laid_out(series_json(series), depth, [&](const std::string& name, const Json& value, int at) {
      if (name == key::kRuns)
        return one_a_line<Run>(
            series.runs, [](const Run& run) { return dumped(run_json(run), -1); }, at);
      if (name == key::kFailedRuns)
        return one_a_line<FailedRun>(
            series.failures, [](const FailedRun& failure) { return dumped(failure_json(failure), -1); }, at);
      return nested(value, at);
    });
  };
  return laid_out(document, 0,
                  [&](const std::string& name, const Json& value, int depth) {
                    if (name != key::kSeries) return nested(value, depth);
                    return one_a_line<Series>(
                        report.series, [&](const Series& series) { return series_text(series, depth + 1); },
                        depth);
                  }) +
         "\n";
}

}  // namespace

std::string report_json_text(const Report& report) {
  Json json;
  json[key::kFormatVersion] = kFormatVersion;
  json["tool"] = "callbench-report";
  json[key::kToolVersion] = report.tool_version;
  json[key::kLabel] = report.label;
  json[key::kUnit] = report.unit;
  json[key::kDateUtc] = report.date_utc;
  json["kind"] = kKindWords[static_cast<int>(report.kind)];
  json[key::kSettings] = settings_json(report);
  json["interrupted"] = report.interrupted ? Json({{"signal", report.interrupted->name}}) : Json(nullptr);
  json[key::kPrecision] = precision_json(report.precision);
  json[key::kSeries] = Json::array();  // written by document_text, series by series
  json["comparison"] = comparison_json(report);
  json["pooled"] = pooled_json(report);
  return document_text(json, report);
}

}  // namespace callbench
