#include "expected_output.h"

#include <cstdint>
#include <cstdio>

namespace callbench_test {
namespace {

class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  bool Literal(std::string_view expected) {
    if (text_.substr(at_, expected.size()) != expected) {
      return Fail("expected \"" + Escaped(expected) + "\"");
    }
    at_ += expected.size();
    return true;
  }

  // "0", or an optional '-' then digits without a leading zero, within 32 bits.
  bool Figure(std::string& figure) {
    size_t end = at_;
    if (end < text_.size() && text_[end] == '-') ++end;
    const size_t digits = end;
    while (end < text_.size() && text_[end] >= '0' && text_[end] <= '9') ++end;
    figure = std::string(text_.substr(at_, end - at_));
    const size_t count = end - digits;
    const bool negative = digits > at_;
    if (count == 0 || count > 10 || (text_[digits] == '0' && (count > 1 || negative))) {
      return Fail("expected a signed 32-bit decimal");
    }
    const int64_t value = std::stoll(figure);
    if (value < INT32_MIN || value > INT32_MAX) return Fail("figure out of 32-bit range");
    at_ = end;
    return true;
  }

  bool AtEnd() { return at_ == text_.size() || Fail("expected the end of the output"); }

  const std::string& problem() const { return problem_; }

 private:
  bool Fail(const std::string& what) {
    problem_ =
        "at byte " + std::to_string(at_) + ": " + what + ", found \"" + Escaped(text_.substr(at_, 40)) + "\"";
    return false;
  }

  std::string_view text_;
  size_t at_ = 0;
  std::string problem_;
};

}  // namespace

std::string MeasurementLabel(size_t procedure) {
  return "\tmillicycles for " + kProcedures.at(procedure) +
         (procedure + 1 == kProcedures.size() ? "\r\n\n" : "\r\n");
}

const std::array<SizeLine, 4>& SizeLines() {
  static const std::array<SizeLine, 4> kLines = {{{"Size no frame A: ", "7"},
                                                  {"Size no frame B: ", "15"},
                                                  {"Size TheOne:     ", "13"},
                                                  {"Size with frame: ", "16"}}};
  return kLines;
}

BenchmarkOutput ReadBenchmarkOutput(std::string_view text) {
  BenchmarkOutput result;
  Reader reader(text);
  bool ok = true;
  for (int sweep = 0; ok && sweep < kSweepCount; ++sweep) {
    for (size_t i = 0; ok && i < kProcedures.size(); ++i) {
      std::string figure;
      ok = reader.Figure(figure) && reader.Literal(MeasurementLabel(i));
      if (ok) result.figures.push_back(figure);
    }
  }
  for (const SizeLine& line : SizeLines()) {
    ok = ok && reader.Literal(line.heading + "\t" + line.size + "\r\n");
  }
  ok = ok && reader.AtEnd();
  result.mismatch = reader.problem();
  return result;
}

std::string Escaped(std::string_view text) {
  std::string result;
  for (const char c : text) {
    switch (c) {
      case '\t':
        result += "\\t";
        break;
      case '\r':
        result += "\\r";
        break;
      case '\n':
        result += "\\n";
        break;
      case '"':
        result += "\\\"";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7f) {
          char hex[8];
          std::snprintf(hex, sizeof hex, "\\x%02x", static_cast<unsigned char>(c));
          result += hex;
        } else {
          result += c;
        }
    }
  }
  return result;
}

}  // namespace callbench_test
