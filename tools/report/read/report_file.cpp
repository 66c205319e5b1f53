#include "read/report_file.hpp"

#include <nlohmann/json.hpp>

#include "system/files.hpp"

namespace callbench {

Baseline load_baseline(const std::string& path) {
  const auto fail = [&](const std::string& problem) {
    throw BaselineError("baseline " + path + ": " + problem);
  };
  std::string text;
  try {
    text = read_regular_file(path);
  } catch (const FileError& e) {
    throw BaselineError(std::string("baseline ") + e.what());
  }
  nlohmann::json json;
  try {
    json = nlohmann::json::parse(text);
  } catch (const nlohmann::json::exception& e) {
    fail(std::string("not JSON: ") + e.what());
  }
  if (!json.is_object() || !json.contains("aggregates") || !json["aggregates"].is_object())
    fail("no \"aggregates\" object; is it a file written by callbench-report --json?");

  Baseline baseline;
  baseline.file = path;
  const auto& aggregates = json["aggregates"];
  for (std::size_t proc = 0; proc < kProcedures; ++proc) {
    const auto procedure = std::string(kProcedureNames[proc]);
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
