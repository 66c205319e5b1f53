#pragma once

#include <functional>
#include <string>

#include <CLI/CLI.hpp>

#include "app/options.hpp"

namespace callbench {

// Plain decimal digits within [min, max]: no sign, no hex, no exponent; a
// transform, which passes the number on without leading zeros.
CLI::Validator whole_number(long long min, long long max);

// A finite decimal number within [min, max]: digits with an optional fraction.
CLI::Validator decimal_number(double min, double max);

// Anything but the empty text.
CLI::Validator not_empty();

// --cpu's processor, checked as the runs are pinned: an Error naming the
// option when it does not exist or this process may not use it.
void check_cpu(int cpu);

// Splits the command at --vs into the two run alternately, then checks that
// the options given go together; given tells whether an option was on the
// command line. Throws Error.
void settle_measure_options(MeasureOptions& options, const std::function<bool(const char*)>& given);

}  // namespace callbench
