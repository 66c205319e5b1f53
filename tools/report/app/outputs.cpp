#include "app/outputs.hpp"

#include <iostream>
#include <stdexcept>

namespace callbench {
namespace {

std::optional<OutputFile> prepare_one(const std::optional<std::string>& path, const char* option,
                                      const char*& standard_output_taken) {
  if (!path) return std::nullopt;
  if (*path == "-") {
    if (standard_output_taken)
      throw std::invalid_argument(std::string(option) + " - and " + standard_output_taken +
                                  " - cannot both write to standard output");
    standard_output_taken = option;
  }
  return OutputFile::prepare(*path);
}

bool write_one(const std::optional<OutputFile>& file, const char* what,
               const std::function<std::string()>& content) {
  if (!file || !content) return true;
  try {
    file->write(content());
    return true;
  } catch (const FileError& e) {
    complain(std::string("cannot write the ") + what + ": " + e.what());
  } catch (const std::exception& e) {
    complain(std::string("cannot make the ") + what + ": " + e.what());
  }
  return false;
}

}  // namespace

void complain(const std::string& message) {
  std::cerr << "callbench-report: " << message << '\n' << std::flush;
}

PreparedOutputs prepare_outputs(const OutputOptions& options) {
  PreparedOutputs outputs;
  const char* taken = nullptr;
  outputs.json = prepare_one(options.json, "--json", taken);
  outputs.markdown = prepare_one(options.markdown, "--markdown", taken);
  outputs.csv = prepare_one(options.csv, "--csv", taken);
  outputs.html = prepare_one(options.html, "--html", taken);
  if (taken) outputs.table_stream = Stream::Error;
  return outputs;
}

bool deliver(const PreparedOutputs& outputs, const Deliverables& what) {
  bool ok = write_one(outputs.json, "JSON report", what.json);
  ok &= write_one(outputs.markdown, "Markdown table", [&] { return render_markdown(*what.document); });
  ok &= write_one(outputs.csv, "CSV table", [&] { return render_csv(*what.document); });
  ok &= write_one(outputs.html, "HTML report", what.html);
  try {
    std::cerr << std::flush;
    write_stream(outputs.table_stream, render_text(*what.document));
  } catch (const FileError& e) {
    complain(std::string("cannot write the table: ") + e.what());
    ok = false;
  }
  return ok;
}

}  // namespace callbench
