#include "run/record_conditions.hpp"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "system/host.hpp"
#include "system/machine_check_reading.hpp"
#include "system/processor.hpp"
#include "system/sha256.hpp"

namespace callbench {
namespace {

struct Timed {
  Calibration calibration;
  std::optional<double> ticks_per_second;
};

// Each addition takes one core clock, so a chain's length is its clocks. A
// chain interrupted by the system only looks slower: the analysis takes the
// least disturbed samples.
Timed calibrate_here() {
  Timed timed;
  timed.calibration.additions = kCalibrationAdditions;
  std::vector<double> rates;
  for (int i = 0; i < kCalibrationSamples; ++i) {
    const ChainTiming chain = time_addition_chain(kCalibrationAdditions);
    if (chain.ticks == 0) continue;
    timed.calibration.samples.push_back(static_cast<double>(kCalibrationAdditions) /
                                        static_cast<double>(chain.ticks));
    // An interruption lengthens both clocks alike, so the rate stays true.
    if (chain.seconds > 0) rates.push_back(static_cast<double>(chain.ticks) / chain.seconds);
  }
  if (!rates.empty()) {
    std::nth_element(rates.begin(), rates.begin() + rates.size() / 2, rates.end());
    timed.ticks_per_second = rates[rates.size() / 2];
  }
  return timed;
}

}  // namespace

Conditions conditions_before(const std::string& tool_version, std::optional<int> cpu) {
  Conditions c;
  c.date_utc = utc_now();
  c.tool_version = tool_version;
  c.host = host_name();
  c.os = os_description();
  c.processor = read_processor(cpu);
  c.load_before = load_average();
  c.priority = priority_raise();
  c.cpu = cpu;
  c.checks = check_this_machine(cpu);
  auto timed = calibrate_here();
  if (!timed.calibration.samples.empty()) c.calibration_before = std::move(timed.calibration);
  c.tsc_hz = timed.ticks_per_second;
  return c;
}

void conditions_after(Conditions& conditions) {
  conditions.load_after = load_average();
  auto timed = calibrate_here();
  if (!timed.calibration.samples.empty()) conditions.calibration_after = std::move(timed.calibration);
}

std::optional<BenchmarkFile> benchmark_file(const std::vector<std::string>& command) {
  for (const auto& word : command) {
    if (word.find('/') == std::string::npos && word.find('\\') == std::string::npos) continue;
    std::error_code error;
    if (!std::filesystem::is_regular_file(word, error)) continue;
    return BenchmarkFile{word, sha256_of_file(word)};
  }
  return std::nullopt;
}

}  // namespace callbench
