#include "system/arguments.hpp"

namespace callbench {

// POSIX hands over the bytes as they were given; names are UTF-8 by convention.
std::vector<std::string> utf8_arguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

}  // namespace callbench
