#include "app/outputs.hpp"

#include <iostream>

namespace callbench {
namespace {

// Makes one output and writes it; whether that worked, a failure told on standard error.
template <typename Write>
bool attempt(const std::string& what, const Write& write) {
  try {
    write();
    return true;
  } catch (const Error& e) {
    complain("cannot write the " + what + ": " + e.what());
  } catch (const std::exception& e) {
    complain("cannot make the " + what + ": " + e.what());
  }
  return false;
}

}  // namespace

void complain(const std::string& message) {
  std::cerr << "callbench-report: " << message << '\n' << std::flush;
}

Outputs::Outputs(const OutputPaths& paths, const std::vector<ProtectedFile>& kept) {
  std::vector<std::pair<const ProtectedFile*, FileIdentity>> protected_files;
  for (const auto& file : kept)
    if (auto identity = existing_file_identity(file.path))
      protected_files.emplace_back(&file, std::move(*identity));

  std::string standard_output_taken;  // by which option
  for (const auto& format : output_formats()) {
    for (const auto& [option, path] : paths) {
      if (option != format.option) continue;
      Destination destination{&format, option, path, OutputFile::prepare(path)};
      const std::string named = option + " " + path;
      if (destination.file.is_standard_output()) {
        if (!standard_output_taken.empty())
          throw Error(standard_output_taken + " and " + named + " cannot both write to standard output");
        standard_output_taken = named;
        destinations_.push_back(std::move(destination));
        continue;
      }
      for (const auto& earlier : destinations_)
        if (!earlier.file.is_standard_output() && earlier.file.identity() == destination.file.identity())
          throw Error(earlier.option + " " + earlier.path + " and " + named + " name the same file");
      for (const auto& [file, identity] : protected_files)
        if (identity == destination.file.identity())
          throw Error(named + " would overwrite " + file->what + " " + file->path);
      destinations_.push_back(std::move(destination));
    }
  }
  if (!standard_output_taken.empty()) table_stream_ = Stream::Error;
}

int Outputs::write_report(const Report& report) const {
  bool written = true;
  for (const auto& destination : destinations_)
    written &=
        attempt(destination.format->what, [&] { destination.file.write(destination.format->render(report)); });
  written &= attempt("table", [&] {
    std::cerr << std::flush;
    write_stream(table_stream_, export_text(report));
  });
  return written ? 0 : kExitIncomplete;
}

}  // namespace callbench
