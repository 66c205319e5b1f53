#pragma once

#include <string>
#include <string_view>
#include <variant>

#include "core/procedures.hpp"

namespace callbench {

// Where a run's output went wrong: both texts are ready to show.
struct ParseError {
  int line = 0;
  std::string expected;
  std::string got;
};

std::string describe(const ParseError& error);

// Checks the output byte for byte; the first deviation is the error.
std::variant<RunOutput, ParseError> parse_output(std::string_view output);

}  // namespace callbench
