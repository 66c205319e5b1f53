// The benchmark's output parser: whatever it accepts is exactly what the
// benchmark writes for those figures and sizes, byte for byte; whatever it
// refuses, it says where.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <variant>

#include "benchmark_output.h"
#include "read/output_check.hpp"
#include "read/output_parser.hpp"

using namespace callbench;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto parsed = parse_output(text);
  OutputChecker check;
  const auto checked = check(std::string(text), 1);
  if (const auto* output = std::get_if<RunOutput>(&parsed)) {
    // Written out by the tests' own writer, apart from the parser.
    if (benchmark_output::output_text(output->figures, output->sizes) != text) std::abort();
    if (!std::holds_alternative<RunOutput>(checked)) std::abort();
  } else {
    const auto& error = std::get<ParseError>(parsed);
    if (error.line < 1 || describe(error).empty()) std::abort();
    if (!std::holds_alternative<std::string>(checked)) std::abort();
  }
  return 0;
}
