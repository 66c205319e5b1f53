#include "app/cli_checks.hpp"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "core/error.hpp"
#include "core/text.hpp"
#include "system/host.hpp"

namespace callbench {
namespace {

bool all_digits(const std::string& text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

template <typename Number>
std::string range_text(Number min, Number max) {
  std::ostringstream text;
  text << min << " to " << max;
  return text.str();
}

// "A --vs B" after "--": the two commands run alternately.
void split_at_vs(std::vector<std::string>& command, std::vector<std::string>& vs_command) {
  const auto vs = std::find(command.begin(), command.end(), "--vs");
  if (vs == command.end()) return;
  vs_command.assign(vs + 1, command.end());
  command.erase(vs, command.end());
  if (command.empty() || vs_command.empty() ||
      std::find(vs_command.begin(), vs_command.end(), "--vs") != vs_command.end())
    throw Error("--vs needs a command on each side");
}

}  // namespace

CLI::Validator whole_number(long long min, long long max) {
  return CLI::Validator(
      [=](std::string& text) -> std::string {
        if (!all_digits(text)) return quote(text) + " is not a whole number";
        errno = 0;
        const long long value = std::strtoll(text.c_str(), nullptr, 10);
        if (errno == ERANGE || value < min || value > max)
          return quote(text) + " is not in the range " + range_text(min, max);
        text = std::to_string(value);  // CLI11 would read a leading 0 as octal
        return {};
      },
      "WHOLE NUMBER " + range_text(min, max));
}

CLI::Validator decimal_number(double min, double max) {
  return CLI::Validator(
      [=](std::string& text) -> std::string {
        const auto point = text.find('.');
        const std::string whole = text.substr(0, point);
        const std::string fraction = point == std::string::npos ? "" : text.substr(point + 1);
        const bool digits = (all_digits(whole) || (whole.empty() && !fraction.empty())) &&
                            (fraction.empty() || all_digits(fraction));
        if (!digits) return quote(text) + " is not a decimal number";
        const double value = std::strtod(text.c_str(), nullptr);
        if (!std::isfinite(value) || value < min || value > max)
          return quote(text) + " is not in the range " + range_text(min, max);
        return {};
      },
      "NUMBER " + range_text(min, max));
}

CLI::Validator not_empty() {
  return CLI::Validator(
      [](std::string& text) -> std::string {
        return text.empty() ? "an empty value is not allowed" : std::string();
      },
      "");
}

void check_cpu(int cpu) {
  try {
    check_processor(cpu);
  } catch (const std::runtime_error& e) {
    throw Error("--cpu " + std::to_string(cpu) + ": " + e.what());
  }
}

void settle_measure_options(MeasureOptions& m, const std::function<bool(const char*)>& given) {
  split_at_vs(m.command, m.vs_command);
  if (!m.from.empty()) {
    for (const char* option : {"--runs", "--warmup", "--precision", "--max-runs", "--timeout", "--cpu"})
      if (given(option)) throw Error(std::string(option) + " has no meaning with --from: nothing is run");
    if (!m.command.empty()) throw Error("--from reads saved outputs; give no command as well");
  } else if (given("--machine")) {
    throw Error("--machine names where saved outputs came from; use it with --from");
  }
  if (!m.vs_command.empty() && m.baseline) throw Error("--vs and --baseline cannot be used together");
  if (given("--max-runs") && !given("--precision")) throw Error("--max-runs is the limit of --precision");
  if (m.run.precision && given("--max-runs") && m.run.max_runs < m.run.runs)
    throw Error("--max-runs is below --runs");
}

}  // namespace callbench
