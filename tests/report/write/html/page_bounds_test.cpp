// The page and the memory it takes to write stay bounded however many runs a
// report holds and however long its names are: names once per series, and
// past a few thousand figures, some drawn and the rest summarised.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <iostream>

#include "series_builder.hpp"
#include "write/exporter.hpp"
#include "write/html/chart_scripts.hpp"

namespace callbench {
namespace {

#if defined(__SANITIZE_ADDRESS__)  // GCC
#define CALLBENCH_ADDRESS_SANITIZER 1
#elif defined(__has_feature)  // clang
#if __has_feature(address_sanitizer)
#define CALLBENCH_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(CALLBENCH_ADDRESS_SANITIZER)
// AddressSanitizer pads every block and holds freed ones back: the bound is the real program's.
constexpr bool kMemoryBounded = false;
#else
constexpr bool kMemoryBounded = true;
#endif

long peak_resident_kib() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// A report file's series as `compare` reads it, with an analysis that says
// every ratio is known.
Report file_report(std::size_t runs, const std::string& command) {
  Report report;
  report.kind = Report::Kind::Files;
  report.series = {series_of(noisy_runs(runs, {29800, 3440, 3170, 3480}, 1, 0.02, 7), "[1]")};
  report.series[0].file = "big.json";
  report.series[0].command = {"./callbench", command};
  SeriesAnalysis analysis;
  for (std::size_t p = 0; p < kProcedures; ++p) {
    const double ratio = p == 0 ? 9.4 : 1.09;
    analysis.paired[p].decision.ratio = {ratio, ratio * 0.995, ratio * 1.005, true};
    analysis.paired[p].decision.verdict = Verdict::Slower;
  }
  report.series[0].analysis = analysis;
  return report;
}

struct Bound {
  const char* what;
  std::size_t runs;
  std::size_t command_bytes;
  std::size_t most_page_bytes;  // beyond the chart runtime and the command, which the tables hold once
  long most_kib;                // growth of the peak resident memory while writing the page
};

void PrintTo(const Bound& bound, std::ostream* out) {
  *out << bound.what;
}

class HtmlPage : public testing::TestWithParam<Bound> {};

// The peak only rises, so each case wants a process of its own: CTest runs
// every case as a test of its own.
TEST_P(HtmlPage, StaysSmallForManyRunsAndLongNames) {
  const Bound& c = GetParam();
  std::size_t runtime = 0;
  for (const ChartScript& script : chart_scripts()) runtime += script.code.size();
  const Report report = file_report(c.runs, std::string(c.command_bytes, 'x'));
  const long before = peak_resident_kib();
  const std::string page = export_html(report);
  const long grown = peak_resident_kib() - before;
  EXPECT_LE(page.size(), runtime + c.command_bytes + c.most_page_bytes);
  if (kMemoryBounded) {
    EXPECT_LE(grown, c.most_kib);
  }
  std::cout << c.what << ": " << page.size() - runtime << " bytes beside the runtime, peak memory up " << grown
            << " KiB\n";
}

// Before: 67 MB of page and 1.2 GB of memory; 60 MB and 320 MB.
INSTANTIATE_TEST_SUITE_P(Reports, HtmlPage,
                         testing::Values(Bound{"30,000 runs", 30000, 0, 1 << 20, 32 << 10},
                                         Bound{"a 590 KB command line", 3, 590000, 200 << 10, 32 << 10}));

}  // namespace
}  // namespace callbench
