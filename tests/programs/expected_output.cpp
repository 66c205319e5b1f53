#include "expected_output.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <stdexcept>

namespace callbench_test {
namespace {

// "0", or an optional '-' then digits without a leading zero, within 32 bits.
bool IsFigure(const std::string& figure) {
  size_t used = 0;
  long long value = 0;
  try {
    value = std::stoll(figure, &used);
  } catch (const std::exception&) {
    return false;
  }
  return used == figure.size() && std::to_string(value) == figure && value >= INT32_MIN && value <= INT32_MAX;
}

}  // namespace

BenchmarkOutput ReadBenchmarkOutput(std::string_view text) {
  BenchmarkOutput result;
  // A figure is whatever stands before the tab of its line; the text must then
  // be exactly what the writer makes of them.
  std::vector<std::array<std::string, 4>> sweeps(output::kSweeps);
  size_t at = 0;
  for (auto& sweep : sweeps) {
    for (size_t p = 0; p < sweep.size(); ++p) {
      const size_t tab = std::min(text.find('\t', at), text.size());
      sweep[p] = std::string(text.substr(at, tab - at));
      if (!IsFigure(sweep[p])) {
        result.mismatch = "at byte " + std::to_string(at) + ": expected a signed 32-bit decimal, found \"" +
                          Escaped(text.substr(at, 40)) + "\"";
        return result;
      }
      result.figures.push_back(sweep[p]);
      at = std::min(tab + output::figure_label(p).size(), text.size());
    }
  }
  const std::string expected = output::output_text(sweeps);
  size_t same = 0;
  while (same < text.size() && same < expected.size() && text[same] == expected[same]) ++same;
  if (same < text.size() || same < expected.size()) {
    result.mismatch = "at byte " + std::to_string(same) + ": expected \"" +
                      Escaped(std::string_view(expected).substr(same, 40)) + "\", found \"" +
                      Escaped(text.substr(same, 40)) + "\"";
  }
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
