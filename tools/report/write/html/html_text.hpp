#pragma once

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace callbench {

// Text for an HTML element's content or a quoted attribute value.
std::string escape_html(std::string_view text);

// JSON that can stand inside a <script> element: no "<", ">" or "&" appears
// literally, so neither "</script" nor "<!--" can end or bend the element.
// Invalid UTF-8 in strings becomes U+FFFD rather than an exception.
std::string script_safe_json(const nlohmann::json& value);

}  // namespace callbench
