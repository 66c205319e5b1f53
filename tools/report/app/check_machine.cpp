// `system`: whether this machine is fit to measure, read only.
#include "app/cli_checks.hpp"
#include "app/options.hpp"
#include "system/files.hpp"
#include "system/machine_check_reading.hpp"
#include "write/document.hpp"
#include "write/machine_check_document.hpp"

namespace callbench {

int check_system(const SystemOptions& options) {
  if (options.cpu) check_cpu(*options.cpu);
  const auto checks = check_this_machine(options.cpu);
  write_stream(Stream::Output, render_text(machine_checks_document(checks, options.cpu)));
  return machine_is_fit(checks) ? 0 : kExitBadInput;
}

}  // namespace callbench
