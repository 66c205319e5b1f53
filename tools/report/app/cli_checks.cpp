#include "app/cli_checks.hpp"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "core/text.hpp"

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

}  // namespace

CLI::Validator whole_number(long long min, long long max) {
  return CLI::Validator(
      [=](std::string& text) -> std::string {
        if (!all_digits(text)) return quote(text) + " is not a whole number";
        errno = 0;
        const long long value = std::strtoll(text.c_str(), nullptr, 10);
        if (errno == ERANGE || value < min || value > max)
          return quote(text) + " is not in the range " + range_text(min, max);
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

}  // namespace callbench
