#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace callbench {

// The text as valid UTF-8: every byte that does not belong to a well-formed
// sequence becomes U+FFFD. Names come from command lines and files, where any
// bytes are legal, and a page must still be written and read as text.
std::string valid_utf8(std::string_view text);

// At most max_characters code points of valid UTF-8, the last one "…" when cut.
std::string shortened_characters(std::string_view text, std::size_t max_characters);

// Text for an HTML element's content or a quoted attribute value, valid UTF-8.
std::string escape_html(std::string_view text);

// JSON that can stand inside a <script> element: no "<", ">" or "&" appears
// literally, so neither "</script" nor "<!--" can end or bend the element, and
// nothing outside ASCII (U+2028 and U+2029 end a line in older script parsers).
// Invalid UTF-8 in strings becomes U+FFFD rather than an exception.
std::string script_safe_json(const nlohmann::json& value);

}  // namespace callbench
