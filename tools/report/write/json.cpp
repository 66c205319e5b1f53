#include "write/json.hpp"

#include "run/interruption.hpp"


namespace callbench {
namespace {

using Json = nlohmann::ordered_json;

Json optional_number(const std::optional<double>& value) {
  return value ? Json(*value) : Json(nullptr);
}

std::string name(std::size_t proc) { return std::string(kProcedureNames[proc]); }

}  // namespace

Json to_json(const Report& report) {
  const auto reference = name(kReference);
  Json json;
  json["tool"] = "callbench-report";
  json["unit"] = "millicycles per call";
  json["command"] = report.command;
  json["runs_requested"] = report.runs_requested;
  json["runs_valid"] = report.runs.size();
  json["machine"] = {{"model", report.machine.model},
                     {"constant_tsc", report.machine.constant_tsc},
                     {"nonstop_tsc", report.machine.nonstop_tsc},
                     {"invariant_tsc", report.machine.invariant_tsc()},
                     {"line", report.machine.line()}};

  Json sizes = Json::object();
  for (std::size_t proc = 0; proc < kProcedures; ++proc) sizes[name(proc)] = report.sizes[proc];
  json["sizes"] = sizes;

  Json aggregates = Json::object();
  for (std::size_t proc = 0; proc < kProcedures; ++proc) {
    const auto& row = report.rows[proc];
    Json entry = {{"size", row.size},
                  {"figures", row.summary.count},
                  {"min", row.summary.min},
                  {"median", row.summary.median},
                  {"max", row.summary.max},
                  {"spread", optional_number(row.summary.spread)},
                  {"noisy", row.noisy()},
                  {"min_vs_" + reference, optional_number(row.min_vs_reference)},
                  {"median_vs_" + reference, optional_number(row.median_vs_reference)}};
    if (report.baseline) {
      entry["min_change_percent"] = optional_number(row.min_change_percent);
      entry["median_change_percent"] = optional_number(row.median_change_percent);
    }
    aggregates[name(proc)] = entry;
  }
  json["aggregates"] = aggregates;
  json["noisy_spread"] = kNoisySpread;
  json["median_wall_seconds"] = report.median_wall_seconds;
  if (report.baseline) json["baseline"] = report.baseline->file;
  json["interrupted"] = report.interrupted_by == 0
                            ? Json(nullptr)
                            : Json({{"signal", signal_name(report.interrupted_by)}});

  Json runs = Json::array();
  for (const auto& run : report.runs) {
    Json sweeps = Json::array();
    for (const auto& sweep : run.figures) {
      Json figures = Json::object();
      for (std::size_t proc = 0; proc < kProcedures; ++proc) figures[name(proc)] = sweep[proc];
      sweeps.push_back(figures);
    }
    runs.push_back({{"run", run.number}, {"wall_seconds", run.wall_seconds}, {"sweeps", sweeps}});
  }
  json["runs"] = runs;

  Json failures = Json::array();
  for (const auto& failure : report.failures)
    failures.push_back({{"run", failure.number}, {"reason", failure.reason}});
  json["failed_runs"] = failures;
  return json;
}

std::string json_text(const Report& report) {
  // Bytes that are not UTF-8 (a command's own arguments may hold any) become U+FFFD
  // instead of failing the write.
  return to_json(report).dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

}  // namespace callbench
