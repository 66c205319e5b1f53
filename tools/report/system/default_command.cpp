#include "system/default_command.hpp"

namespace callbench {

std::optional<std::string> default_program() {
  const auto self = own_path();
  if (!self) return std::nullopt;
  return program_beside(*self);
}

}  // namespace callbench
