#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "core/report.hpp"

namespace callbench {

nlohmann::ordered_json to_json(const Report& report);

// The file --json writes.
std::string json_text(const Report& report);

}  // namespace callbench
