#pragma once

#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

#include "core/report.hpp"

namespace callbench {

nlohmann::ordered_json to_json(const Report& report);

// Writes a sibling temporary file and renames it over path, so readers see the whole
// file or none of it. Throws std::runtime_error naming the file.
void write_file_atomically(const std::string& path, const std::string& content);

struct BaselineError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Reads the aggregates of a file written by --json. Throws BaselineError naming the file.
Baseline load_baseline(const std::string& path);

}  // namespace callbench
