#pragma once

#include <string>

#include <CLI/CLI.hpp>

namespace callbench {

// Plain decimal digits within [min, max]: no sign, no hex, no exponent.
CLI::Validator whole_number(long long min, long long max);

// A finite decimal number within [min, max]: digits with an optional fraction.
CLI::Validator decimal_number(double min, double max);

// Anything but the empty text.
CLI::Validator not_empty();

}  // namespace callbench
