#include "core/text.hpp"

#include <cmath>
#include <cstdio>

namespace callbench {

std::string escape(std::string_view text) {
  std::string shown;
  for (const char byte : text) {
    const auto c = static_cast<unsigned char>(byte);
    switch (c) {
      case '\r':
        shown += "\\r";
        break;
      case '\n':
        shown += "\\n";
        break;
      case '\t':
        shown += "\\t";
        break;
      case '\\':
        shown += "\\\\";
        break;
      case '"':
        shown += "\\\"";
        break;
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
  if (text.size() > shown_bytes) shown += " and " + std::to_string(text.size() - shown_bytes) + " more bytes";
  return shown;
}

std::size_t utf8_sequence(std::string_view text, unsigned& code) {
  if (text.empty()) return 0;
  const auto lead = static_cast<unsigned char>(text[0]);
  std::size_t length;
  unsigned min;
  if (lead < 0x80) return code = lead, 1;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, min = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, min = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, min = 0x10000;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  code = lead & (0x7F >> length);
  for (std::size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[k]);
    if ((next & 0xC0) != 0x80) return 0;
    code = code << 6 | (next & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
  if (code < min || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return 0;
  return length;
}

bool is_valid_utf8(std::string_view text) {
  unsigned code;
  while (!text.empty()) {
    const std::size_t length = utf8_sequence(text, code);
    if (length == 0) return false;
    text.remove_prefix(length);
  }
  return true;
}

namespace {

bool reorders_or_breaks_lines(unsigned code) {
  return code == 0x2028 || code == 0x2029 || (code >= 0x202A && code <= 0x202E) ||
         (code >= 0x2066 && code <= 0x2069) || code == 0x200E || code == 0x200F || code == 0x061C;
}

}  // namespace

std::string printable(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  while (!text.empty()) {
    unsigned code = 0;
    const std::size_t length = utf8_sequence(text, code);
    if (length == 0 || code < 0x20 || code == 0x7F) {
      shown += escape(text.substr(0, 1));
      text.remove_prefix(1);
      continue;
    }
    if ((code >= 0x80 && code < 0xA0) || reorders_or_breaks_lines(code)) {
      char escaped[12];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", code);
      shown += escaped;
    } else {
      shown.append(text.substr(0, length));
    }
    text.remove_prefix(length);
  }
  return shown;
}

std::string shortened(std::string_view text, std::size_t max_bytes) {
  if (text.size() <= max_bytes) return std::string(text);
  const std::string_view mark = " ...";
  std::size_t keep = max_bytes > mark.size() ? max_bytes - mark.size() : 0;
  while (keep > 0 && (static_cast<unsigned char>(text[keep]) & 0xC0) == 0x80) --keep;
  return std::string(text.substr(0, keep)) + std::string(mark.substr(0, max_bytes - keep));
}

std::size_t display_width(std::string_view text) {
  std::size_t width = 0;
  for (const char c : text) width += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return width;
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
