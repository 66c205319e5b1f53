#include "run/conditions.hpp"

#include <filesystem>
#include <system_error>

#include "analyse/calibration.hpp"
#include "system/host.hpp"
#include "system/processor.hpp"
#include "system/sha256.hpp"

namespace callbench {
namespace {

constexpr double kRateSeconds = 0.2;

std::optional<Calibration> calibrate_here() { return calibrate(time_addition_chain); }

}  // namespace

Conditions conditions_before(const std::string& tool_version, std::optional<int> cpu) {
  Conditions c;
  c.date_utc = utc_now();
  c.tool_version = tool_version;
  c.host = host_name();
  c.os = os_description();
  c.processor = read_processor();
  c.tsc_hz = measure_tsc_hz(kRateSeconds);
  c.load_before = load_average();
  c.priority = priority_raise();
  c.cpu = cpu;
  c.calibration_before = calibrate_here();
  return c;
}

void conditions_after(Conditions& conditions) {
  conditions.load_after = load_average();
  conditions.calibration_after = calibrate_here();
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
