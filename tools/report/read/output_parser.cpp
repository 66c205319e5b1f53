#include "read/output_parser.hpp"

#include "core/text.hpp"

#include <limits>
#include <optional>

namespace callbench {
namespace {

// Hands out the output line by line, each with its '\n' if it has one.
class Lines {
 public:
  explicit Lines(std::string_view text) : text_(text) {}

  std::optional<std::string_view> next() {
    if (text_.empty()) return std::nullopt;
    ++number_;
    const auto end = text_.find('\n');
    const auto length = end == std::string_view::npos ? text_.size() : end + 1;
    const auto line = text_.substr(0, length);
    text_.remove_prefix(length);
    return line;
  }

  int number() const { return number_; }

 private:
  std::string_view text_;
  int number_ = 0;
};

std::optional<std::int64_t> parse_digits(std::string_view digits) {
  if (digits.empty() || digits.size() > 10) return std::nullopt;
  if (digits.size() > 1 && digits[0] == '0') return std::nullopt;
  std::int64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::string got_text(const std::optional<std::string_view>& line) {
  return line ? quote(*line) : "end of output";
}

// "0" or an optional '-' and digits without leading zeros, within int32.
std::optional<std::int32_t> parse_figure(std::string_view text) {
  const bool negative = !text.empty() && text[0] == '-';
  if (negative) text.remove_prefix(1);
  const auto magnitude = parse_digits(text);
  if (!magnitude || (negative && *magnitude == 0)) return std::nullopt;
  const auto value = negative ? -*magnitude : *magnitude;
  if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
    return std::nullopt;
  return static_cast<std::int32_t>(value);
}

// Digits without leading zeros, within int32.
std::optional<std::int32_t> parse_size(std::string_view text) {
  const auto value = parse_digits(text);
  if (!value || *value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
  return static_cast<std::int32_t>(*value);
}

}  // namespace

std::string describe(const ParseError& error) {
  return "line " + std::to_string(error.line) + ": expected " + error.expected + ", got " + error.got;
}

std::variant<RunOutput, ParseError> parse_output(std::string_view output) {
  Lines lines(output);
  RunOutput result;

  for (std::size_t sweep = 0; sweep < kSweeps; ++sweep) {
    for (std::size_t proc = 0; proc < kProcedures; ++proc) {
      const auto line = lines.next();
      const std::string suffix = "\tmillicycles for " + std::string(kProcedureNames[proc]) + "\r\n";
      const auto tab = line ? line->find('\t') : std::string_view::npos;
      if (tab == std::string_view::npos || line->substr(tab) != suffix)
        return ParseError{lines.number() + (line ? 0 : 1), quote("<figure>" + suffix), got_text(line)};
      const auto figure = parse_figure(line->substr(0, tab));
      if (!figure)
        return ParseError{lines.number(), "a signed 32-bit decimal figure", quote(line->substr(0, tab))};
      result.figures[sweep][proc] = *figure;
    }
    const auto blank = lines.next();
    if (!blank || *blank != "\n")
      return ParseError{lines.number() + (blank ? 0 : 1), "an empty line \"\\n\"", got_text(blank)};
  }

  for (std::size_t proc = 0; proc < kProcedures; ++proc) {
    const auto line = lines.next();
    const std::string heading = std::string(kSizeHeadings[proc]) + "\t";
    const bool framed = line && line->size() >= heading.size() + 2 &&
                        line->substr(0, heading.size()) == heading && line->substr(line->size() - 2) == "\r\n";
    if (!framed)
      return ParseError{lines.number() + (line ? 0 : 1), quote(heading + "<size>\r\n"), got_text(line)};
    const auto digits = line->substr(heading.size(), line->size() - heading.size() - 2);
    const auto size = parse_size(digits);
    if (!size) return ParseError{lines.number(), "a size in bytes", quote(digits)};
    result.sizes[proc] = *size;
  }

  if (const auto extra = lines.next()) return ParseError{lines.number(), "end of output", quote(*extra)};
  return result;
}

}  // namespace callbench
