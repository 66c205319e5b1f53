// A report file as compare and --baseline take it: read, analysed and written
// in every form without a crash, and the JSON written reads back to the same
// report, written the same again.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "analyse/report_analysis.hpp"
#include "core/error.hpp"
#include "core/report_json.hpp"
#include "write/exporter.hpp"

namespace {

using namespace callbench;

std::string analysed_json(Report& report) {
  analyse_report(report);
  for (const auto& format : output_formats()) format.render(report);
  export_text(report);
  return report_json_text(report);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Report report;
  try {
    report = parse_report_json(std::string(reinterpret_cast<const char*>(data), size), "fuzz.json");
  } catch (const Error&) {
    return 0;
  }
  const std::string written = analysed_json(report);
  Report again;
  try {
    again = parse_report_json(written, "fuzz.json");
  } catch (const Error&) {
    std::abort();  // written, yet not readable
  }
  if (analysed_json(again) != written) std::abort();
  return 0;
}
