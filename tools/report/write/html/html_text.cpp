#include "write/html/html_text.hpp"

namespace callbench {

std::string escape_html(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string script_safe_json(const nlohmann::json& value) {
  // ensure_ascii also escapes U+2028 and U+2029, which old script parsers took for line ends.
  const std::string json = value.dump(-1, ' ', true, nlohmann::json::error_handler_t::replace);
  std::string out;
  out.reserve(json.size());
  // Outside strings JSON has no "<", ">" or "&", so escaping them everywhere keeps the value.
  for (char c : json) {
    switch (c) {
      case '<': out += "\\u003c"; break;
      case '>': out += "\\u003e"; break;
      case '&': out += "\\u0026"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace callbench
