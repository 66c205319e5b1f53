// The benchmark's output parser: whatever it accepts is exactly what the
// benchmark writes for those figures and sizes, byte for byte; whatever it
// refuses, it says where.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <variant>

#include "read/output_check.hpp"
#include "read/output_parser.hpp"

namespace {

using namespace callbench;

// The output as the benchmark prints it, written out independently of the parser.
std::string benchmark_output(const RunOutput& output) {
  std::string text;
  for (const auto& sweep : output.figures) {
    for (std::size_t proc = 0; proc < kProcedures; ++proc)
      text += std::to_string(sweep[proc]) + "\tmillicycles for " + std::string(kProcedureNames[proc]) + "\r\n";
    text += "\n";
  }
  for (std::size_t proc = 0; proc < kProcedures; ++proc)
    text += std::string(kSizeHeadings[proc]) + "\t" + std::to_string(output.sizes[proc]) + "\r\n";
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto parsed = parse_output(text);
  OutputChecker check;
  const auto checked = check(std::string(text), 1);
  if (const auto* output = std::get_if<RunOutput>(&parsed)) {
    if (benchmark_output(*output) != text) std::abort();
    if (!std::holds_alternative<RunOutput>(checked)) std::abort();
  } else {
    const auto& error = std::get<ParseError>(parsed);
    if (error.line < 1 || describe(error).empty()) std::abort();
    if (!std::holds_alternative<std::string>(checked)) std::abort();
  }
  return 0;
}
