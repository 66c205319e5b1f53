#include "write/html/html_text.hpp"

#include "core/text.hpp"

namespace callbench {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

}  // namespace

std::string valid_utf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    unsigned code;
    const std::size_t length = utf8_sequence(text, code);
    if (length == 0) {
      out += kReplacement;
      text.remove_prefix(1);
    } else {
      out += text.substr(0, length);
      text.remove_prefix(length);
    }
  }
  return out;
}

std::string shortened_characters(std::string_view text, std::size_t max_characters) {
  const std::string valid = valid_utf8(text);
  std::size_t characters = 0, cut = 0;
  for (std::size_t i = 0; i < valid.size(); ++i) {
    if ((static_cast<unsigned char>(valid[i]) & 0xC0) == 0x80) continue;
    if (++characters == max_characters) cut = i;
    if (characters > max_characters) return valid.substr(0, cut) + "…";
  }
  return valid;
}

std::string escape_html(std::string_view text) {
  const std::string valid = valid_utf8(text);
  std::string out;
  out.reserve(valid.size());
  for (char c : valid) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string script_safe_json(const nlohmann::json& value) {
  const std::string json = value.dump(-1, ' ', true, nlohmann::json::error_handler_t::replace);
  std::string out;
  out.reserve(json.size());
  // Outside strings JSON has no "<", ">" or "&", so escaping them everywhere keeps the value.
  for (char c : json) {
    switch (c) {
      case '<':
        out += "\\u003c";
        break;
      case '>':
        out += "\\u003e";
        break;
      case '&':
        out += "\\u0026";
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace callbench
