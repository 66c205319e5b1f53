#pragma once

#include <string>
#include <string_view>

namespace callbench {

// Control characters and bytes outside ASCII escaped C-style, e.g. \r \t \x1b.
std::string escape(std::string_view text);
// Escaped, quoted, long text cut short.
std::string quote(std::string_view text, std::size_t shown_bytes = 100);

bool is_valid_utf8(std::string_view text);

// A fraction as a percentage, "12%" for 0.12: two decimals below 1 %, one below
// 10 %, none above; "n/a" when not finite.
std::string percent_text(double fraction);

}  // namespace callbench
