#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/error.hpp"

namespace callbench {

using Json = nlohmann::ordered_json;

// A value of a JSON document with the path to it, read only through checks
// that throw Error ("<path>: <problem>"), so every complaint says where.
class JsonField {
 public:
  JsonField(const Json& json, std::string where) : json_(json), where_(std::move(where)) {}

  [[noreturn]] void fail(const std::string& problem) const {
    throw Error(where_.empty() ? problem : where_ + ": " + problem);
  }

  // The field under key, unless it is missing or null.
  std::optional<JsonField> optional(const char* key) const {
    if (!json_.is_object() || !json_.contains(key) || json_[key].is_null()) return std::nullopt;
    return (*this)[key];
  }
  JsonField operator[](const std::string& key) const {
    if (!json_.is_object()) fail("expected an object");
    if (!json_.contains(key)) fail("lacks \"" + key + "\"");
    return JsonField(json_[key], where_.empty() ? key : where_ + "." + key);
  }
  JsonField at(std::size_t index) const {
    return JsonField(json_.at(index), where_ + "[" + std::to_string(index) + "]");
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
  std::vector<double> numbers() const {
    std::vector<double> values;
    for (std::size_t i = 0; i < size(); ++i) values.push_back(at(i).number());
    return values;
  }
  std::optional<std::string> optional_text(const char* key) const {
    const auto field = optional(key);
    return field ? std::optional<std::string>(field->text()) : std::nullopt;
  }
  std::optional<double> optional_number(const char* key) const {
    const auto field = optional(key);
    return field ? std::optional<double>(field->number()) : std::nullopt;
  }

 private:
  const Json& json_;
  std::string where_;
};

}  // namespace callbench
