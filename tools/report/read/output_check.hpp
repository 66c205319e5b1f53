#pragma once

#include <optional>
#include <string>
#include <variant>

#include "core/procedures.hpp"

namespace callbench {

// Checks the outputs of one command's runs in turn: each must be well formed
// byte for byte, and repeat the sizes of the first valid one.
class OutputChecker {
 public:
  // The figures and sizes, or why the output does not count.
  std::variant<RunOutput, std::string> operator()(const std::string& output, int run_number);

 private:
  struct FirstSizes {
    Sizes sizes{};
    int run = 0;
  };
  std::optional<FirstSizes> first_;
};

}  // namespace callbench
