#include "core/text.hpp"

#include <cmath>
#include <cstdio>

namespace callbench {

std::string escape(std::string_view text) {
  std::string shown;
  for (const char byte : text) {
    const auto c = static_cast<unsigned char>(byte);
    switch (c) {
      case '\r': shown += "\\r"; break;
      case '\n': shown += "\\n"; break;
      case '\t': shown += "\\t"; break;
      case '\\': shown += "\\\\"; break;
      case '"': shown += "\\\""; break;
      default:
        if (c < 0x20 || c >= 0x7f) {
          char hex[5];
          std::snprintf(hex, sizeof hex, "\\x%02x", c);
          shown += hex;
        } else {
          shown += static_cast<char>(c);
        }
    }
  }
  return shown;
}

std::string quote(std::string_view text, std::size_t shown_bytes) {
  std::string shown = "\"" + escape(text.substr(0, shown_bytes)) + "\"";
  if (text.size() > shown_bytes)
    shown += " and " + std::to_string(text.size() - shown_bytes) + " more bytes";
  return shown;
}

bool is_valid_utf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length;
    unsigned min;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2, min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3, min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4, min = 0x10000;
    } else {
      return false;
    }
    if (i + length > text.size()) return false;
    unsigned code = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = code << 6 | (next & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    if (code < min || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return false;
    i += length;
  }
  return true;
}

std::string percent_text(double fraction) {
  if (!std::isfinite(fraction)) return "n/a";
  const double percent = fraction * 100;
  const double size = std::fabs(percent);
  char text[48];
  std::snprintf(text, sizeof text, "%.*f%%", size < 1 ? 2 : size < 10 ? 1 : 0, percent);
  return text;
}

}  // namespace callbench
