#include "read/output_check.hpp"

#include "core/text.hpp"
#include "read/output_parser.hpp"

namespace callbench {
namespace {

std::string size_line(std::size_t proc, std::int32_t size) {
  return std::string(kSizeHeadings[proc]) + "\t" + std::to_string(size) + "\r\n";
}

}  // namespace

std::variant<RunOutput, std::string> OutputChecker::operator()(const std::string& output, int run_number) {
  auto parsed = parse_output(output);
  if (const auto* error = std::get_if<ParseError>(&parsed)) return describe(*error);
  auto& run = std::get<RunOutput>(parsed);
  if (!first_) {
    first_ = FirstSizes{run.sizes, run_number};
    return run;
  }
  for (std::size_t proc = 0; proc < kProcedures; ++proc) {
    if (run.sizes[proc] == first_->sizes[proc]) continue;
    const int line = static_cast<int>(kSweeps * (kProcedures + 1) + 1 + proc);
    return describe(ParseError{
        line, quote(size_line(proc, first_->sizes[proc])) + " as in run " + std::to_string(first_->run),
        quote(size_line(proc, run.sizes[proc]))});
  }
  return run;
}

}  // namespace callbench
