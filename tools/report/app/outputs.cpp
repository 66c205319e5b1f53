#include "app/outputs.hpp"

#include <iostream>

namespace callbench {

void complain(const std::string& message) {
  std::cerr << "callbench-report: " << message << '\n' << std::flush;
}

Outputs::Outputs(const OutputPaths& paths) {
  const char* standard_output_taken = nullptr;
  for (const auto& format : output_formats()) {
    for (const auto& [option, path] : paths) {
      if (option != format.option) continue;
      if (path == "-") {
        if (standard_output_taken)
          throw Error(option + " - and " + standard_output_taken + " - cannot both write to standard output");
        standard_output_taken = format.option;
      }
      destinations_.push_back({&format, OutputFile::prepare(path)});
    }
  }
  if (standard_output_taken) table_stream_ = Stream::Error;
}

int Outputs::deliver(const Report& report) const {
  int status = 0;
  for (const auto& destination : destinations_) {
    try {
      destination.file.write(destination.format->make()->render(report));
    } catch (const Error& e) {
      complain(std::string("cannot write the ") + destination.format->what + ": " + e.what());
      status = kExitIncomplete;
    } catch (const std::exception& e) {
      complain(std::string("cannot make the ") + destination.format->what + ": " + e.what());
      status = kExitIncomplete;
    }
  }
  try {
    std::cerr << std::flush;
    write_stream(table_stream_, make_text_exporter()->render(report));
  } catch (const Error& e) {
    complain(std::string("cannot write the table: ") + e.what());
    status = kExitIncomplete;
  }
  return status;
}

}  // namespace callbench
