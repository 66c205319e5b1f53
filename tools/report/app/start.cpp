#include "app/start.hpp"

#include "system/arguments.hpp"
#include "system/files.hpp"

namespace callbench {

std::vector<std::string> start_program(int argc, char** argv) {
  guard_standard_streams();
  report_broken_pipes_as_errors();
  return utf8_arguments(argc, argv);
}

}  // namespace callbench
