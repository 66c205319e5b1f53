#pragma once

#include <string>
#include <string_view>

namespace callbench {

// Control characters and bytes outside ASCII escaped C-style, e.g. \r \t \x1b.
std::string escape(std::string_view text);
// Escaped, quoted, long text cut short.
std::string quote(std::string_view text, std::size_t shown_bytes = 100);

bool is_valid_utf8(std::string_view text);

// The length (1 to 4) of the well-formed UTF-8 sequence at the start of text,
// with its code point in code; 0 when text does not start with one.
std::size_t utf8_sequence(std::string_view text, unsigned& code);

// Text safe to show on a terminal: printable characters of valid UTF-8 kept as
// they are; control characters (C0, DEL, C1) and bytes that are not UTF-8
// escaped as escape() does, and characters that reorder or break a line
// (U+2028, U+2029, the bidirectional controls) as \u2028 and the like. A file
// from another machine then cannot retitle the terminal, clear it, or start a
// line of its own.
std::string printable(std::string_view text);

// At most max_bytes of text, cut between characters and ending in " ..." when cut.
std::string shortened(std::string_view text, std::size_t max_bytes);

// The characters (code points) of UTF-8 text, as a terminal gives them columns.
std::size_t display_width(std::string_view text);

// A fraction as a percentage, "12%" for 0.12: two decimals below 1 %, one below
// 10 %, none above; "n/a" when not finite.
std::string percent_text(double fraction);

}  // namespace callbench
