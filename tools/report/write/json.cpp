#include "write/json.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

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

void write_file_atomically(const std::string& path, const std::string& content) {
  namespace fs = std::filesystem;
  const fs::path target(path);
  const auto dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
  std::string temp = (dir / ("." + target.filename().string() + ".XXXXXX")).string();

  const auto fail = [&](const std::string& what, int error) {
    throw std::runtime_error("cannot write " + path + ": " + what + ": " + std::strerror(error));
  };
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) fail("cannot create a temporary file in " + dir.string(), errno);

  // mkstemp makes the file private; give it the mode any new file would get.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);

  std::size_t written = 0;
  int error = 0;
  while (written < content.size()) {
    const auto n = ::write(fd, content.data() + written, content.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = errno;
      break;
    }
    written += static_cast<std::size_t>(n);
  }
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(temp.c_str(), path.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temp.c_str());
    fail("writing " + temp, error);
  }
}

Baseline load_baseline(const std::string& path) {
  const auto fail = [&](const std::string& problem) {
    throw BaselineError("baseline " + path + ": " + problem);
  };
  if (std::filesystem::is_directory(path)) fail("is a directory");
  errno = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in) fail(std::string("cannot read: ") + (errno ? std::strerror(errno) : "open failed"));

  nlohmann::json json;
  try {
    json = nlohmann::json::parse(in);
  } catch (const nlohmann::json::exception& e) {
    fail(std::string("not JSON: ") + e.what());
  }
  if (!json.is_object() || !json.contains("aggregates") || !json["aggregates"].is_object())
    fail("no \"aggregates\" object; is it a file written by callbench-report --json?");

  Baseline baseline;
  baseline.file = path;
  const auto& aggregates = json["aggregates"];
  for (std::size_t proc = 0; proc < kProcedures; ++proc) {
    const auto procedure = name(proc);
    if (!aggregates.contains(procedure)) fail("lacks procedure " + procedure);
    const auto& entry = aggregates[procedure];
    for (const char* key : {"min", "median"})
      if (!entry.is_object() || !entry.contains(key) || !entry[key].is_number())
        fail(procedure + " has no number \"" + key + "\"");
    baseline.min[proc] = entry["min"].get<double>();
    baseline.median[proc] = entry["median"].get<double>();
  }
  return baseline;
}

}  // namespace callbench
