#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "core/model.hpp"

namespace callbench {

// "effective", "not permitted", "unknown"
const char* priority_word(Priority::Raise raise);

nlohmann::ordered_json conditions_json(const Conditions& conditions);
nlohmann::ordered_json series_json(const Series& series, const SeriesAnalysis* analysis);
// The whole report, format version 2, every raw figure included.
nlohmann::ordered_json to_json(const Report& report);

// The file --json writes.
std::string json_text(const Report& report);

}  // namespace callbench
