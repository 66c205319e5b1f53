// The JSON file format, written and read side by side so that every key is
// spelled once. Versions: 1 had one series at the top level; 2 had the
// conditions at the top level and a baseline only named; 3 (this one) gives
// every series its own conditions and keeps a baseline's runs.
#include "core/report_json.hpp"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <limits>

#include <nlohmann/json.hpp>

#include "core/error.hpp"
#include "core/limits.hpp"

namespace callbench {
namespace {

using Json = nlohmann::ordered_json;

// Keys spelled once, for writer and reader alike.
namespace key {
constexpr const char* kFormatVersion = "format_version";
constexpr const char* kSweeps = "sweeps";
constexpr const char* kRuns = "runs";
constexpr const char* kFailedRuns = "failed_runs";
}  // namespace key

std::string name(std::size_t proc) {
  return std::string(kProcedureNames[proc]);
}

const char* kind_word(Report::Kind kind) {
  switch (kind) {
    case Report::Kind::Single:
      return "single";
    case Report::Kind::Interleaved:
      return "interleaved";
    case Report::Kind::Baseline:
      return "baseline";
    case Report::Kind::Files:
      return "files";
  }
  return "single";
}

const char* priority_word(Priority::Raise raise) {
  switch (raise) {
    case Priority::Raise::Effective:
      return "effective";
    case Priority::Raise::NotPermitted:
      return "not permitted";
    case Priority::Raise::Unknown:
      break;
  }
  return "unknown";
}

// ---------------------------------------------------------------- writing

template <typename T>
Json optional_value(const std::optional<T>& value) {
  return value ? Json(*value) : Json(nullptr);
}

Json interval_json(const Interval& interval) {
  return {{"estimate", interval.estimate},
          {"low", interval.bounded ? Json(interval.low) : Json(nullptr)},
          {"high", interval.bounded ? Json(interval.high) : Json(nullptr)}};
}

Json interval_json(const std::optional<Interval>& interval) {
  return interval ? interval_json(*interval) : Json(nullptr);
}

// The decision's fields, added to an object that may hold others.
void add_decision(Json& json, const Decision& d) {
  json["ratio"] = interval_json(d.ratio);
  json["test"] = d.p_value ? Json{{"p_value", *d.p_value},
                                  {"p_adjusted", optional_value(d.p_adjusted)},
                                  {"degrees_of_freedom", d.degrees_of_freedom}}
                           : Json(nullptr);
  json["verdict"] = verdict_word(d.verdict);
  json["resolvable"] = optional_value(d.resolvable);
  json["runs_needed"] = optional_value(d.runs_needed);
}

Json load_json(const std::optional<LoadAverage>& load) {
  if (!load) return nullptr;
  return Json::array({load->one, load->five, load->fifteen});
}

Json calibration_json(const std::optional<Calibration>& c) {
  if (!c) return nullptr;
  return {{"samples", c->samples}, {"additions", c->additions}};
}

Json checks_json(const std::vector<MachineCheck>& checks) {
  Json list = Json::array();
  for (const auto& check : checks)
    list.push_back({{"key", check.key},
                    {"title", check.title},
                    {"value", check.value},
                    {"status", status_name(check.status)},
                    {"advice", check.advice}});
  return list;
}

Json conditions_json(const Conditions& c) {
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
          {"calibration_after", calibration_json(c.calibration_after)},
          {"checks", checks_json(c.checks)}};
}

Json analysis_json(const SeriesAnalysis& analysis) {
  Json procedures = Json::object();
  Json paired = Json::object();
  Json drift = Json::object();
  for (std::size_t proc = 0; proc < kProcedures; ++proc) {
    const auto& f = analysis.procedures[proc];
    procedures[name(proc)] = {{"valid", f.valid},
                              {"disturbed", f.disturbed},
                              {"low_outliers", f.low_outliers},
                              {"min", optional_value(f.min)},
                              {"median", interval_json(f.median)},
                              {"max", optional_value(f.max)},
                              {"spread", optional_value(f.spread)},
                              {"noisy", f.noisy},
                              {"core_cycles_per_call", optional_value(f.core_cycles_per_call)}};
    drift[name(proc)] = optional_value(analysis.drift[proc]);
    if (proc == kReference) continue;
    const auto& p = analysis.paired[proc];
    Json entry = {{"sweeps", p.sweeps}, {"higher", p.higher}};
    add_decision(entry, p.decision);
    entry["difference"] = interval_json(p.difference);
    paired[name(proc)] = entry;
  }
  Json clock = nullptr;
  if (analysis.clock)
    clock = {{"clocks_per_tick", analysis.clock->clocks_per_tick},
             {"stable", analysis.clock->stable},
             {"before", optional_value(analysis.clock->before)},
             {"after", optional_value(analysis.clock->after)}};
  return {{"procedures", procedures},
          {"paired_with_" + name(kReference), paired},
          {"drift", drift},
          {"clock", clock},
          {"median_wall_seconds", optional_value(analysis.median_wall_seconds)}};
}

Json sweeps_json(const Figures& figures) {
  Json sweeps = Json::array();
  for (const auto& sweep : figures) {
    Json values = Json::object();
    for (std::size_t proc = 0; proc < kProcedures; ++proc) values[name(proc)] = sweep[proc];
    sweeps.push_back(values);
  }
  return sweeps;
}

Json run_json(const Run& run) {
  return {{"run", run.number},
          {"sequence", optional_value(run.sequence)},
          {"wall_seconds", optional_value(run.wall_seconds)},
          {key::kSweeps, sweeps_json(run.figures)}};
}

Json failure_json(const FailedRun& failure) {
  return {{"run", failure.number}, {"reason", failure.reason}};
}

Json series_json(const Series& series) {
  Json json;
  json["name"] = series.name;
  json["label"] = series.label;
  json["file"] = optional_value(series.file);
  json["command"] = series.command;
  json["captures"] = series.captures;
  json["benchmark"] = series.benchmark ? Json{{"path", series.benchmark->path},
                                              {"sha256", optional_value(series.benchmark->sha256)}}
                                       : Json(nullptr);
  json["wine_version"] = optional_value(series.wine_version);
  json["conditions"] = conditions_json(series.conditions);
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
  // Placeholders: the runs and failed runs are written one at a time, each on
  // a line of its own, so that no document of every run is held at once.
  json[key::kRuns] = Json::array();
  json[key::kFailedRuns] = Json::array();
  json["analysis"] = series.analysis ? analysis_json(*series.analysis) : Json(nullptr);
  return json;
}

Json settings_json(const Report& report) {
  const auto& a = report.analysis_settings;
  Json settings = {{"runs", nullptr},
                   {"warmup", nullptr},
                   {"precision", nullptr},
                   {"max_runs", nullptr},
                   {"timeout_seconds", nullptr}};
  if (const auto& r = report.run_settings) {
    settings = {{"runs", r->runs},
                {"warmup", r->warmup},
                {"precision", optional_value(r->precision)},
                {"max_runs", r->max_runs},
                {"timeout_seconds", r->timeout_seconds}};
  }
  settings["interleaved"] = report.kind == Report::Kind::Interleaved;
  settings["seed"] = optional_value(a.seed);
  settings["confidence"] = stats::kConfidence;
  settings["noise_threshold"] = a.noise_threshold;
  return settings;
}

Json position_json(const std::optional<PositionEffect>& position) {
  if (!position) return nullptr;
  Json procedures = Json::object();
  for (std::size_t proc = 0; proc < kProcedures; ++proc)
    procedures[name(proc)] = interval_json(position->procedures[proc]);
  return {{"pairs_a_first", position->a_first},
          {"pairs_b_first", position->b_first},
          {"second_against_first", interval_json(position->overall)},
          {"p_value", optional_value(position->p_value)},
          // Beyond the noise threshold, as a change would be claimed.
          {"notable", position->verdict == Verdict::Slower || position->verdict == Verdict::Faster},
          {"procedures", procedures}};
}

// Each procedure's ratio to the reference, side a against side b; verdicts in their own words.
Json ratio_changes_json(const std::optional<std::array<Decision, kProcedures>>& ratios) {
  if (!ratios) return nullptr;
  Json procedures = Json::object();
  for (std::size_t proc = 0; proc < kProcedures; ++proc) {
    if (proc == kReference) continue;
    Json entry = Json::object();
    add_decision(entry, (*ratios)[proc]);
    entry["verdict"] = ratio_verdict_word((*ratios)[proc].verdict);
    procedures[name(proc)] = entry;
  }
  return procedures;
}

Json comparison_json(const Report& report) {
  if (!report.comparison) return nullptr;
  const auto& c = *report.comparison;
  Json procedures = Json::object();
  for (std::size_t proc = 0; proc < kProcedures; ++proc) {
    Json entry = Json::object();
    add_decision(entry, c.procedures[proc]);
    procedures[name(proc)] = entry;
  }
  return {{"a", report.series.at(c.a).name},
          {"b", report.series.at(c.b).name},
          {"method", c.method == Comparison::Method::Paired ? "paired" : "across time"},
          {"pairs", c.pairs},
          {"procedures", procedures},
          {"position", position_json(c.position)},
          {"ratios_to_" + name(kReference), ratio_changes_json(c.ratios)}};
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
        Json ratio = Json::object();
        add_decision(ratio, machine.ratios[proc]);
        entry["ratio_to_" + name(kReference)] = ratio;
        entry["between_reports"] = optional_value(machine.between_reports[proc]);
      }
      procedures[name(proc)] = entry;
    }
    machines.push_back({{"machine", machine.label},
                        {"series", series},
                        {"reports", machine.series.size()},
                        {"runs", machine.runs},
                        {"procedures", procedures}});
  }
  return machines;
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
std::string one_a_line(const std::vector<Item>& items, Json (*to_json)(const Item&), int depth) {
  if (items.empty()) return "[]";
  const std::string margin(static_cast<std::size_t>(depth + 1), ' ');
  std::string text = "[\n";
  for (std::size_t i = 0; i < items.size(); ++i)
    text += margin + dumped(to_json(items[i]), -1) + (i + 1 < items.size() ? ",\n" : "\n");
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
  const auto series_text = [&](const Series& series, int depth) {
    return laid_out(series_json(series), depth, [&](const std::string& key, const Json& value, int at) {
      if (key == key::kRuns) return one_a_line(series.runs, run_json, at);
      if (key == key::kFailedRuns) return one_a_line(series.failures, failure_json, at);
      return nested(value, at);
    });
  };
  return laid_out(document, 0,
                  [&](const std::string& key, const Json& value, int depth) {
                    if (key != "series" || report.series.empty()) return nested(value, depth);
                    const std::string margin(static_cast<std::size_t>(depth + 1), ' ');
                    std::string text = "[\n";
                    for (std::size_t i = 0; i < report.series.size(); ++i)
                      text += margin + series_text(report.series[i], depth + 1) +
                              (i + 1 < report.series.size() ? ",\n" : "\n");
                    return text + std::string(static_cast<std::size_t>(depth), ' ') + "]";
                  }) +
         "\n";
}

// ---------------------------------------------------------------- reading

// A field of the file with the path to it, so every complaint says where.
class Field {
 public:
  Field(const Json& json, std::string where) : json_(json), where_(std::move(where)) {}

  [[noreturn]] void fail(const std::string& problem) const {
    throw Error(where_.empty() ? problem : where_ + ": " + problem);
  }

  bool has(const char* key) const { return json_.is_object() && json_.contains(key) && !json_[key].is_null(); }
  Field operator[](const std::string& key) const {
    if (!json_.is_object()) fail("expected an object");
    if (!json_.contains(key)) fail("lacks \"" + key + "\"");
    return Field(json_[key], where_.empty() ? key : where_ + "." + key);
  }
  Field at(std::size_t index) const {
    return Field(json_.at(index), where_ + "[" + std::to_string(index) + "]");
  }
  std::size_t size() const {
    if (!json_.is_array()) fail("expected a list");
    return json_.size();
  }

  std::string text() const {
    if (!json_.is_string()) fail("expected a text");
    return json_.get<std::string>();
  }
  double number() const {
    if (!json_.is_number()) fail("expected a number");
    return json_.get<double>();
  }
  std::int64_t whole(std::int64_t min, std::int64_t max) const {
    if (!json_.is_number_integer()) fail("expected a whole number");
    // Read as unsigned first: a number past the signed range must not wrap round.
    if (json_.is_number_unsigned() &&
        json_.get<std::uint64_t>() > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
      fail("out of range");
    const auto value = json_.get<std::int64_t>();
    if (value < min || value > max) fail("out of range");
    return value;
  }
  bool flag() const {
    if (!json_.is_boolean()) fail("expected true or false");
    return json_.get<bool>();
  }
  std::vector<std::string> texts() const {
    std::vector<std::string> values;
    for (std::size_t i = 0; i < size(); ++i) values.push_back(at(i).text());
    return values;
  }
  std::optional<std::string> optional_text(const char* key) const {
    return has(key) ? std::optional<std::string>((*this)[key].text()) : std::nullopt;
  }
  std::optional<double> optional_number(const char* key) const {
    return has(key) ? std::optional<double>((*this)[key].number()) : std::nullopt;
  }

 private:
  const Json& json_;
  std::string where_;
};

constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t kCountMax = 1'000'000'000;

Figures read_sweeps(const Field& sweeps) {
  if (sweeps.size() != kSweeps) sweeps.fail("expected " + std::to_string(kSweeps) + " sweeps");
  Figures figures{};
  for (std::size_t s = 0; s < kSweeps; ++s)
    for (std::size_t proc = 0; proc < kProcedures; ++proc)
      figures[s][proc] = static_cast<std::int32_t>(sweeps.at(s)[name(proc)].whole(kInt32Min, kInt32Max));
  return figures;
}

Sizes read_sizes(const Field& sizes) {
  Sizes values{};
  for (std::size_t proc = 0; proc < kProcedures; ++proc)
    values[proc] = static_cast<std::int32_t>(sizes[name(proc)].whole(0, kInt32Max));
  return values;
}

std::vector<Run> read_runs(const Field& runs) {
  std::vector<Run> result;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const auto run = runs.at(i);
    Run r;
    r.number = static_cast<int>(run["run"].whole(0, kCountMax));
    if (run.has("sequence")) r.sequence = static_cast<int>(run["sequence"].whole(1, kCountMax));
    r.wall_seconds = run.optional_number("wall_seconds");
    r.figures = read_sweeps(run[key::kSweeps]);
    result.push_back(r);
  }
  if (result.empty()) runs.fail("holds no run");
  return result;
}

std::vector<FailedRun> read_failures(const Field& field) {
  std::vector<FailedRun> failures;
  for (std::size_t i = 0; i < field.size(); ++i)
    failures.push_back(
        {static_cast<int>(field.at(i)["run"].whole(0, kCountMax)), field.at(i)["reason"].text()});
  return failures;
}

std::optional<LoadAverage> read_load(const Field& parent, const char* key) {
  if (!parent.has(key)) return std::nullopt;
  const auto load = parent[key];
  if (load.size() != 3) load.fail("expected three numbers");
  return LoadAverage{load.at(0).number(), load.at(1).number(), load.at(2).number()};
}

std::optional<Calibration> read_calibration(const Field& parent, const char* key, int version) {
  if (!parent.has(key)) return std::nullopt;
  const auto c = parent[key];
  Calibration calibration;
  calibration.additions =
      static_cast<std::uint64_t>(c["additions"].whole(0, std::numeric_limits<std::int64_t>::max()));
  if (version >= 3) {
    const auto samples = c["samples"];
    for (std::size_t i = 0; i < samples.size(); ++i) calibration.samples.push_back(samples.at(i).number());
  } else {
    // Version 2 kept only the median and the range of its samples: those stand for them.
    calibration.samples = {c["low"].number(), c["clocks_per_tick"].number(), c["high"].number()};
  }
  return calibration;
}

Conditions read_conditions(const Field& c, int version) {
  Conditions conditions;
  conditions.date_utc = c.optional_text("date_utc").value_or("");
  conditions.tool_version = c.optional_text("tool_version").value_or("");
  conditions.machine_label = c.optional_text("machine_label");
  conditions.host = c.optional_text("host");
  conditions.os = c.optional_text("os");
  if (c.has("processor")) {
    const auto p = c["processor"];
    Processor processor;
    processor.brand = p["brand"].text();
    if (p.has("invariant_tsc")) processor.invariant_tsc = p["invariant_tsc"].flag();
    conditions.processor = processor;
  }
  conditions.tsc_hz = c.optional_number("tsc_hz");
  conditions.load_before = read_load(c, "load_before");
  conditions.load_after = read_load(c, "load_after");
  if (c.has("priority")) {
    const auto raise = c["priority"]["raise"].text();
    conditions.priority.raise = raise == "effective"       ? Priority::Raise::Effective
                                : raise == "not permitted" ? Priority::Raise::NotPermitted
                                                           : Priority::Raise::Unknown;
    conditions.priority.detail = c["priority"]["detail"].text();
  }
  if (c.has("cpu")) conditions.cpu = static_cast<int>(c["cpu"].whole(0, 1 << 20));
  conditions.calibration_before = read_calibration(c, "calibration_before", version);
  conditions.calibration_after = read_calibration(c, "calibration_after", version);
  if (c.has("checks")) {
    const auto checks = c["checks"];
    for (std::size_t i = 0; i < checks.size(); ++i) {
      const auto check = checks.at(i);
      MachineCheck read;
      read.key = check["key"].text();
      read.title = check["title"].text();
      read.value = check["value"].text();
      read.advice = check["advice"].text();
      const auto status = check["status"].text();
      read.status = status == "fit"       ? MachineCheck::Status::Fit
                    : status == "not fit" ? MachineCheck::Status::NotFit
                    : status == "note"    ? MachineCheck::Status::Note
                                          : MachineCheck::Status::Unknown;
      conditions.checks.push_back(std::move(read));
    }
  }
  return conditions;
}

// More runs than one series made here can hold: not a file this program wrote.
void check_size(const Field& field, const Series& series) {
  if (series.runs.size() + series.failures.size() > kMaxSeriesRecords)
    field.fail("holds more than " + std::to_string(kMaxSeriesRecords) + " runs and failed runs");
}

Series read_series(const Field& s, const Conditions* shared, int version) {
  Series series;
  series.name = s["name"].text();
  if (version >= 3) series.label = s["label"].text();
  series.command = s["command"].texts();
  series.captures = s["captures"].texts();
  if (s.has("benchmark")) {
    const auto b = s["benchmark"];
    series.benchmark = BenchmarkFile{b["path"].text(), b.optional_text("sha256")};
  }
  series.wine_version = s.optional_text("wine_version");
  series.conditions = shared ? *shared : read_conditions(s["conditions"], version);
  series.runs_requested = static_cast<int>(s["runs_requested"].whole(0, kCountMax));
  series.warmup_runs = static_cast<int>(s["warmup_runs"].whole(0, kCountMax));
  if (s.has("sizes")) series.sizes = read_sizes(s["sizes"]);
  series.runs = read_runs(s[key::kRuns]);
  series.failures = read_failures(s["failed_runs"]);
  check_size(s, series);
  return series;
}

// Files written before the format had a version: one series at the top level.
Report read_version_1(const Field& root) {
  Report report;
  report.unit = root.optional_text("unit").value_or(kUnit);
  Series series;
  series.name = "A";
  if (root.has("machine")) {
    const auto machine = root["machine"];
    Processor processor;
    processor.brand = machine["model"].text();
    if (machine.has("invariant_tsc")) processor.invariant_tsc = machine["invariant_tsc"].flag();
    series.conditions.processor = processor;
  }
  series.command = root["command"].texts();
  series.runs_requested = static_cast<int>(root["runs_requested"].whole(0, kCountMax));
  series.sizes = read_sizes(root["sizes"]);
  series.runs = read_runs(root[key::kRuns]);
  if (root.has("failed_runs")) series.failures = read_failures(root["failed_runs"]);
  check_size(root, series);
  report.series.push_back(std::move(series));
  return report;
}

Report read_versions_2_and_3(const Field& root, int version) {
  Report report;
  report.unit = root["unit"].text();
  report.label = root.optional_text("label").value_or("");
  report.tool_version = root.optional_text("tool_version").value_or("");
  std::optional<Conditions> shared;
  if (version == 2) shared = read_conditions(root["conditions"], version);
  report.date_utc = version == 2 ? shared->date_utc : root.optional_text("date_utc").value_or("");
  if (root.has("settings")) {
    const auto s = root["settings"];
    if (s.has("seed"))
      report.analysis_settings.seed =
          static_cast<std::uint64_t>(s["seed"].whole(0, std::numeric_limits<std::int64_t>::max()));
    if (s.has("noise_threshold")) report.analysis_settings.noise_threshold = s["noise_threshold"].number();
    if (s.has("interleaved") && s["interleaved"].flag()) report.kind = Report::Kind::Interleaved;
  }
  const auto series = root["series"];
  for (std::size_t i = 0; i < series.size(); ++i)
    report.series.push_back(read_series(series.at(i), shared ? &*shared : nullptr, version));
  if (report.series.empty()) series.fail("holds no series");
  if (report.series.size() == 1) report.kind = Report::Kind::Single;
  for (auto& s : report.series)
    if (s.label.empty()) s.label = report.label;
  return report;
}

}  // namespace

std::string report_json_text(const Report& report) {
  Json json;
  json[key::kFormatVersion] = kFormatVersion;
  json["tool"] = "callbench-report";
  json["tool_version"] = report.tool_version;
  json["label"] = report.label;
  json["unit"] = report.unit;
  json["date_utc"] = report.date_utc;
  json["kind"] = kind_word(report.kind);
  json["settings"] = settings_json(report);
  json["interrupted"] = report.interrupted ? Json({{"signal", report.interrupted->name}}) : Json(nullptr);
  json["precision"] = report.precision ? Json{{"target", report.precision->target},
                                              {"reached", report.precision->reached},
                                              {"runs", report.precision->runs},
                                              {"widest", report.precision->widest},
                                              {"runs_needed", optional_value(report.precision->runs_needed)}}
                                       : Json(nullptr);
  json["series"] = Json::array();  // written by document_text, series by series
  json["comparison"] = comparison_json(report);
  json["pooled"] = pooled_json(report);
  return document_text(json, report);
}

Report parse_report_json(const std::string& text, const std::string& file) {
  Json json;
  try {
    json = Json::parse(text);
  } catch (const Json::exception& e) {
    throw Error(file + ": not JSON: " + e.what());
  }
  try {
    const Field root(json, "");
    if (!json.is_object())
      root.fail("expected a JSON object; is it a file written by callbench-report --json?");
    int version = 1;
    if (root.has(key::kFormatVersion)) {
      version = static_cast<int>(root[key::kFormatVersion].whole(1, 1000));
      if (version > kFormatVersion)
        root.fail("format version " + std::to_string(version) + " is newer than this callbench-report reads (" +
                  std::to_string(kFormatVersion) + ")");
    }
    if (version == 1 && !json.contains(key::kRuns))
      root.fail("no \"runs\"; is it a file written by callbench-report --json?");
    Report report = version == 1 ? read_version_1(root) : read_versions_2_and_3(root, version);
    for (auto& series : report.series) series.file = file;
    return report;
  } catch (const Error& e) {
    throw Error(file + ": " + e.what());
  } catch (const Json::exception& e) {
    throw Error(file + ": " + e.what());
  }
}

}  // namespace callbench
