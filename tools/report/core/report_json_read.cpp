// The JSON files of every format version: 1 had one series at the top level;
// 2 had the conditions at the top level, series without a label, and kept
// only the median and range of a calibration's samples; 3 had no processor
// identity (it stays unknown); 4 is written now.
#include <string_view>

#include "core/json_field.hpp"
#include "core/limits.hpp"
#include "core/processor_identity.hpp"
#include "core/report_json.hpp"
#include "core/report_json_keys.hpp"

namespace callbench {
namespace {

namespace key = json_key;

constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();
// The most runs or warm-up runs a file may give a count of.
constexpr std::int64_t kMaxCount = 1'000'000'000;

Figures read_sweeps(const JsonField& sweeps) {
  if (sweeps.size() != kSweeps) sweeps.fail("expected " + std::to_string(kSweeps) + " sweeps");
  Figures figures{};
  for (std::size_t s = 0; s < kSweeps; ++s)
    for (std::size_t proc = 0; proc < kProcedures; ++proc)
      figures[s][proc] =
          static_cast<std::int32_t>(sweeps.at(s)[key::procedure_key(proc)].whole(kInt32Min, kInt32Max));
  return figures;
}

std::optional<LoadAverage> read_load(const JsonField& parent, const char* name) {
  const auto load = parent.optional(name);
  if (!load) return std::nullopt;
  if (load->size() != 3) load->fail("expected three numbers");
  return LoadAverage{load->at(0).number(), load->at(1).number(), load->at(2).number()};
}

std::optional<Calibration> read_calibration(const JsonField& parent, const char* name, int version) {
  const auto c = parent.optional(name);
  if (!c) return std::nullopt;
  Calibration calibration;
  calibration.additions =
      static_cast<std::uint64_t>((*c)[key::kAdditions].whole(0, std::numeric_limits<std::int64_t>::max()));
  if (version == 2)
    calibration.samples = {(*c)[key::kLow].number(), (*c)[key::kClocksPerTick].number(),
                           (*c)[key::kHigh].number()};
  else
    calibration.samples = (*c)[key::kSamples].numbers();
  return calibration;
}

MachineCheck read_check(const JsonField& check) {
  MachineCheck read;
  read.key = check[key::kKey].text();
  read.title = check[key::kTitle].text();
  read.value = check[key::kValue].text();
  read.advice = check[key::kAdvice].text();
  const auto status = check[key::kStatus].text();
  for (auto known : {MachineCheck::Status::Fit, MachineCheck::Status::NotFit, MachineCheck::Status::Note})
    if (status == status_name(known)) read.status = known;
  return read;
}

std::uint32_t read_hex(const JsonField& field) {
  const auto value = parse_hex32(field.text());
  if (!value) field.fail("expected 0x and up to 8 hexadecimal digits");
  return *value;
}

// Files before version 4 have none: the identity stays unknown.
std::optional<ProcessorIdentity> read_identity(const JsonField& processor) {
  const auto i = processor.optional(key::kIdentity);
  if (!i) return std::nullopt;
  ProcessorIdentity identity;
  identity.vendor = (*i)[key::kVendor].text();
  identity.signature = read_hex((*i)[key::kSignature]);
  identity.family = static_cast<unsigned>((*i)[key::kFamily].whole(0, 0xF + 0xFF));
  identity.model = static_cast<unsigned>((*i)[key::kModel].whole(0, 0xFF));
  identity.stepping = static_cast<unsigned>((*i)[key::kStepping].whole(0, 0xF));
  if (const auto microcode = i->optional(key::kMicrocode)) identity.microcode = read_hex(*microcode);
  identity.microarchitecture = (*i)[key::kMicroarchitecture].text();
  return identity;
}

Conditions read_conditions(const JsonField& c, int version) {
  Conditions conditions;
  conditions.date_utc = c.optional_text(key::kDateUtc).value_or("");
  conditions.tool_version = c.optional_text(key::kToolVersion).value_or("");
  conditions.machine_label = c.optional_text(key::kMachineLabel);
  conditions.host = c.optional_text(key::kHost);
  conditions.os = c.optional_text(key::kOs);
  if (const auto p = c.optional(key::kProcessor)) {
    Processor processor;
    processor.brand = (*p)[key::kBrand].text();
    if (const auto invariant = p->optional(key::kInvariantTsc)) processor.invariant_tsc = invariant->flag();
    processor.identity = read_identity(*p);
    conditions.processor = processor;
  }
  conditions.tsc_hz = c.optional_number(key::kTscHz);
  conditions.load_before = read_load(c, key::kLoadBefore);
  conditions.load_after = read_load(c, key::kLoadAfter);
  if (const auto priority = c.optional(key::kPriority)) {
    const auto raise = (*priority)[key::kRaise].text();
    for (auto known : {Priority::Raise::Effective, Priority::Raise::NotPermitted})
      if (raise == key::kRaiseWords[static_cast<int>(known)]) conditions.priority.raise = known;
    conditions.priority.detail = (*priority)[key::kDetail].text();
  }
  if (const auto cpu = c.optional(key::kCpu)) conditions.cpu = static_cast<int>(cpu->whole(0, kMaxCpu));
  conditions.calibration_before = read_calibration(c, key::kCalibrationBefore, version);
  conditions.calibration_after = read_calibration(c, key::kCalibrationAfter, version);
  if (const auto checks = c.optional(key::kChecks))
    for (std::size_t i = 0; i < checks->size(); ++i) conditions.checks.push_back(read_check(checks->at(i)));
  return conditions;
}

Sizes read_sizes(const JsonField& sizes) {
  Sizes values{};
  for (std::size_t proc = 0; proc < kProcedures; ++proc)
    values[proc] = static_cast<std::int32_t>(sizes[key::procedure_key(proc)].whole(0, kInt32Max));
  return values;
}

std::vector<Run> read_runs(const JsonField& runs) {
  std::vector<Run> result;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const auto run = runs.at(i);
    Run r;
    r.number = static_cast<int>(run[key::kRun].whole(0, kMaxCount));
    if (const auto sequence = run.optional(key::kSequence))
      r.sequence = static_cast<int>(sequence->whole(1, kMaxCount));
    r.wall_seconds = run.optional_number(key::kWallSeconds);
    r.figures = read_sweeps(run[key::kSweeps]);
    result.push_back(r);
  }
  if (result.empty()) runs.fail("holds no run");
  return result;
}

std::vector<FailedRun> read_failures(const JsonField& failures) {
  std::vector<FailedRun> read;
  for (std::size_t i = 0; i < failures.size(); ++i)
    read.push_back(
        {static_cast<int>(failures.at(i)[key::kRun].whole(0, kMaxCount)), failures.at(i)[key::kReason].text()});
  return read;
}

// More runs than one series made here can hold: not a file this program wrote.
void check_size(const JsonField& field, const Series& series) {
  if (series.runs.size() + series.failures.size() > kMaxSeriesRecords)
    field.fail("holds more than " + std::to_string(kMaxSeriesRecords) + " runs and failed runs");
}

Series read_series(const JsonField& s, const Conditions* shared, int version) {
  Series series;
  series.name = s[key::kName].text();
  if (version >= 3) series.label = s[key::kLabel].text();
  series.command = s[key::kCommand].texts();
  series.captures = s[key::kCaptures].texts();
  if (const auto b = s.optional(key::kBenchmark))
    series.benchmark = BenchmarkFile{(*b)[key::kPath].text(), b->optional_text(key::kSha256)};
  series.wine_version = s.optional_text(key::kWineVersion);
  series.conditions = shared ? *shared : read_conditions(s[key::kConditions], version);
  series.runs_requested = static_cast<int>(s[key::kRunsRequested].whole(0, kMaxCount));
  series.warmup_runs = static_cast<int>(s[key::kWarmupRuns].whole(0, kMaxCount));
  if (const auto sizes = s.optional(key::kSizes)) series.sizes = read_sizes(*sizes);
  series.runs = read_runs(s[key::kRuns]);
  series.failures = read_failures(s[key::kFailedRuns]);
  check_size(s, series);
  return series;
}

// Files written before the format had a version.
Report read_version_1(const JsonField& root) {
  Report report;
  report.unit = root.optional_text(key::kUnit).value_or(kUnit);
  Series series;
  series.name = kRunSeriesNames[0];
  if (const auto machine = root.optional("machine")) {
    Processor processor;
    processor.brand = (*machine)["model"].text();
    if (const auto invariant = machine->optional(key::kInvariantTsc))
      processor.invariant_tsc = invariant->flag();
    series.conditions.processor = processor;
  }
  series.command = root[key::kCommand].texts();
  series.runs_requested = static_cast<int>(root[key::kRunsRequested].whole(0, kMaxCount));
  series.sizes = read_sizes(root[key::kSizes]);
  series.runs = read_runs(root[key::kRuns]);
  if (const auto failures = root.optional(key::kFailedRuns)) series.failures = read_failures(*failures);
  check_size(root, series);
  report.series.push_back(std::move(series));
  return report;
}

Report read_versions_2_to_4(const JsonField& root, int version) {
  Report report;
  report.unit = root[key::kUnit].text();
  report.label = root.optional_text(key::kLabel).value_or("");
  report.tool_version = root.optional_text(key::kToolVersion).value_or("");
  std::optional<Conditions> shared;
  if (version == 2) shared = read_conditions(root[key::kConditions], version);
  report.date_utc = version == 2 ? shared->date_utc : root.optional_text(key::kDateUtc).value_or("");
  if (const auto s = root.optional(key::kSettings)) {
    if (const auto seed = s->optional(key::kSeed))
      report.analysis_settings.seed = static_cast<std::uint64_t>(seed->whole(0, kMaxSeed));
    if (const auto threshold = s->optional_number(key::kNoiseThreshold))
      report.analysis_settings.noise_threshold = *threshold;
    // Also with one series: A --vs B where the other had no valid run.
    if (const auto interleaved = s->optional(key::kInterleaved); interleaved && interleaved->flag())
      report.kind = Report::Kind::Interleaved;
  }
  const auto series = root[key::kSeries];
  for (std::size_t i = 0; i < series.size(); ++i)
    report.series.push_back(read_series(series.at(i), shared ? &*shared : nullptr, version));
  if (report.series.empty()) series.fail("holds no series");
  // Version 2 kept the label once, for the report; later ones keep each series' own.
  if (version == 2)
    for (auto& s : report.series) s.label = report.label;
  return report;
}

// Whether arrays and objects nest deeper than a report's ever do: counted in
// one pass outside strings, before the parser, whose copies of a deep value
// recurse past the stack.
bool nested_too_deep(std::string_view text) {
  int depth = 0;
  bool in_string = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (in_string) {
      if (c == '\\')
        ++i;
      else if (c == '"')
        in_string = false;
    } else if (c == '"') {
      in_string = true;
    } else if (c == '[' || c == '{') {
      if (++depth > kMaxJsonDepth) return true;
    } else if ((c == ']' || c == '}') && depth > 0) {
      --depth;
    }
  }
  return false;
}

}  // namespace

Report parse_report_json(const std::string& text, const std::string& file) {
  Json json;
  if (nested_too_deep(text))
    throw Error(file + ": nested deeper than " + std::to_string(kMaxJsonDepth) +
                " levels; is it a file written by callbench-report --json?");
  try {
    json = Json::parse(text);
  } catch (const Json::exception& e) {
    throw Error(file + ": not JSON: " + e.what());
  }
  try {
    const JsonField root(json, "");
    if (!json.is_object())
      root.fail("expected a JSON object; is it a file written by callbench-report --json?");
    int version = 1;
    if (const auto given = root.optional(key::kFormatVersion)) {
      version = static_cast<int>(given->whole(1, 1000));
      if (version > kFormatVersion)
        root.fail("format version " + std::to_string(version) + " is newer than this callbench-report reads (" +
                  std::to_string(kFormatVersion) + ")");
    }
    if (version == 1 && !json.contains(key::kRuns))
      root.fail("no \"runs\"; is it a file written by callbench-report --json?");
    Report report = version == 1 ? read_version_1(root) : read_versions_2_to_4(root, version);
    for (auto& series : report.series) series.file = file;
    return report;
  } catch (const Error& e) {
    throw Error(file + ": " + e.what());
  } catch (const Json::exception& e) {
    throw Error(file + ": " + e.what());
  }
}

}  // namespace callbench
