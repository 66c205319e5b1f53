#include "read/report_file.hpp"

#include <limits>

#include <nlohmann/json.hpp>

#include "system/files.hpp"

namespace callbench {
namespace {

using Json = nlohmann::json;

// A field of the file with the path to it, so every complaint says where.
class Field {
 public:
  Field(const Json& json, std::string where) : json_(json), where_(std::move(where)) {}

  [[noreturn]] void fail(const std::string& problem) const {
    throw ReportFileError(where_.empty() ? problem : where_ + ": " + problem);
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
  template <typename T, typename Read>
  std::optional<T> optional(const char* key, Read read) const {
    if (!has(key)) return std::nullopt;
    return read((*this)[key]);
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
      figures[s][proc] = static_cast<std::int32_t>(
          sweeps.at(s)[std::string(kProcedureNames[proc])].whole(kInt32Min, kInt32Max));
  return figures;
}

Sizes read_sizes(const Field& sizes) {
  Sizes values{};
  for (std::size_t proc = 0; proc < kProcedures; ++proc)
    values[proc] = static_cast<std::int32_t>(sizes[std::string(kProcedureNames[proc])].whole(0, kInt32Max));
  return values;
}

std::vector<Run> read_runs(const Field& runs) {
  std::vector<Run> result;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const auto run = runs.at(i);
    Run r;
    r.number = static_cast<int>(run["run"].whole(0, kCountMax));
    r.wall_seconds = run.optional<double>("wall_seconds", [](const Field& f) { return f.number(); });
    r.figures = read_sweeps(run["sweeps"]);
    result.push_back(r);
  }
  if (result.empty()) runs.fail("holds no run");
  return result;
}

std::vector<FailedRun> read_failures(const Field& field) {
  std::vector<FailedRun> failures;
  for (std::size_t i = 0; i < field.size(); ++i)
    failures.push_back({static_cast<int>(field.at(i)["run"].whole(0, kCountMax)), field.at(i)["reason"].text()});
  return failures;
}

std::optional<LoadAverage> read_load(const Field& parent, const char* key) {
  if (!parent.has(key)) return std::nullopt;
  const auto load = parent[key];
  if (load.size() != 3) load.fail("expected three numbers");
  return LoadAverage{load.at(0).number(), load.at(1).number(), load.at(2).number()};
}

std::optional<Calibration> read_calibration(const Field& parent, const char* key) {
  if (!parent.has(key)) return std::nullopt;
  const auto c = parent[key];
  return Calibration{c["clocks_per_tick"].number(), c["low"].number(), c["high"].number(),
                     static_cast<int>(c["samples"].whole(0, kCountMax)),
                     static_cast<std::uint64_t>(c["additions"].whole(0, std::numeric_limits<std::int64_t>::max()))};
}

Conditions read_conditions(const Field& c) {
  Conditions conditions;
  const auto text = [](const Field& f) { return f.text(); };
  conditions.date_utc = c.has("date_utc") ? c["date_utc"].text() : "";
  conditions.tool_version = c.has("tool_version") ? c["tool_version"].text() : "";
  conditions.machine_label = c.optional<std::string>("machine_label", text);
  conditions.host = c.optional<std::string>("host", text);
  conditions.os = c.optional<std::string>("os", text);
  if (c.has("processor")) {
    const auto p = c["processor"];
    Processor processor;
    processor.brand = p["brand"].text();
    processor.invariant_tsc = p.optional<bool>("invariant_tsc", [](const Field& f) { return f.flag(); });
    conditions.processor = processor;
  }
  conditions.tsc_hz = c.optional<double>("tsc_hz", [](const Field& f) { return f.number(); });
  conditions.load_before = read_load(c, "load_before");
  conditions.load_after = read_load(c, "load_after");
  if (c.has("priority")) {
    const auto raise = c["priority"]["raise"].text();
    conditions.priority.raise = raise == "effective"       ? Priority::Raise::Effective
                                : raise == "not permitted" ? Priority::Raise::NotPermitted
                                                           : Priority::Raise::Unknown;
    conditions.priority.detail = c["priority"]["detail"].text();
  }
  conditions.cpu = c.optional<int>("cpu", [](const Field& f) { return static_cast<int>(f.whole(0, 1 << 20)); });
  conditions.calibration_before = read_calibration(c, "calibration_before");
  conditions.calibration_after = read_calibration(c, "calibration_after");
  return conditions;
}

Series read_series(const Field& s) {
  Series series;
  series.name = s["name"].text();
  series.command = s["command"].texts();
  series.captures = s["captures"].texts();
  if (s.has("benchmark")) {
    const auto b = s["benchmark"];
    series.benchmark = BenchmarkFile{b["path"].text(),
                                     b.optional<std::string>("sha256", [](const Field& f) { return f.text(); })};
  }
  series.wine_version = s.optional<std::string>("wine_version", [](const Field& f) { return f.text(); });
  series.runs_requested = static_cast<int>(s["runs_requested"].whole(0, kCountMax));
  series.warmup_runs = static_cast<int>(s["warmup_runs"].whole(0, kCountMax));
  if (s.has("sizes")) series.sizes = read_sizes(s["sizes"]);
  series.runs = read_runs(s["runs"]);
  series.failures = read_failures(s["failed_runs"]);
  return series;
}

// Files written before the format had a version: one series at the top level.
Report read_version_1(const Field& root) {
  Report report;
  report.format_version = 1;
  report.unit = root.has("unit") ? root["unit"].text() : kUnit;
  if (root.has("machine")) {
    const auto machine = root["machine"];
    Processor processor;
    processor.brand = machine["model"].text();
    if (machine.has("invariant_tsc")) processor.invariant_tsc = machine["invariant_tsc"].flag();
    report.conditions.processor = processor;
  }
  Series series;
  series.name = "A";
  series.command = root["command"].texts();
  series.runs_requested = static_cast<int>(root["runs_requested"].whole(0, kCountMax));
  series.sizes = read_sizes(root["sizes"]);
  series.runs = read_runs(root["runs"]);
  if (root.has("failed_runs")) series.failures = read_failures(root["failed_runs"]);
  report.series.push_back(std::move(series));
  return report;
}

Report read_version_2(const Field& root) {
  Report report;
  report.unit = root["unit"].text();
  report.label = root.has("label") ? root["label"].text() : "";
  report.conditions = read_conditions(root["conditions"]);
  if (root.has("settings")) {
    const auto s = root["settings"];
    if (s.has("seed"))
      report.analysis_settings.seed = static_cast<std::uint64_t>(s["seed"].whole(0, std::numeric_limits<std::int64_t>::max()));
    if (s.has("noise_threshold")) report.analysis_settings.noise_threshold = s["noise_threshold"].number();
    if (s.has("interleaved")) report.run_settings.interleaved = s["interleaved"].flag();
    report.run_settings.cpu = report.conditions.cpu;
  }
  const auto series = root["series"];
  for (std::size_t i = 0; i < series.size(); ++i) report.series.push_back(read_series(series.at(i)));
  if (report.series.empty()) series.fail("holds no series");
  return report;
}

}  // namespace

LoadedReport parse_report(const std::string& text, const std::string& file) {
  Json json;
  try {
    json = Json::parse(text);
  } catch (const Json::exception& e) {
    throw ReportFileError(file + ": not JSON: " + e.what());
  }
  LoadedReport loaded;
  loaded.file = file;
  try {
    const Field root(json, "");
    if (!json.is_object()) root.fail("expected a JSON object; is it a file written by callbench-report --json?");
    if (root.has("format_version")) {
      loaded.format_version = static_cast<int>(root["format_version"].whole(1, 1000));
      if (loaded.format_version > kFormatVersion)
        root.fail("format version " + std::to_string(loaded.format_version) +
                  " is newer than this callbench-report reads (" + std::to_string(kFormatVersion) + ")");
    }
    if (loaded.format_version == 1 && !json.contains("runs"))
      root.fail("no \"runs\"; is it a file written by callbench-report --json?");
    loaded.report = loaded.format_version == 1 ? read_version_1(root) : read_version_2(root);
  } catch (const ReportFileError& e) {
    throw ReportFileError(file + ": " + e.what());
  } catch (const Json::exception& e) {
    throw ReportFileError(file + ": " + e.what());
  }
  return loaded;
}

LoadedReport load_report(const std::string& path) {
  std::string text;
  try {
    text = read_regular_file(path);
  } catch (const FileError& e) {
    throw ReportFileError(e.what());
  }
  return parse_report(text, path);
}

}  // namespace callbench
