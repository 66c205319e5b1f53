#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "core/model.hpp"

namespace callbench {

// The whole report, format version 2, every raw figure included.
nlohmann::ordered_json to_json(const Report& report);

// The file --json writes.
std::string json_text(const Report& report);

}  // namespace callbench
