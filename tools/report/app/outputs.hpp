#pragma once

#include <functional>
#include <optional>
#include <string>

#include "app/options.hpp"
#include "system/files.hpp"
#include "write/document.hpp"

namespace callbench {

struct PreparedOutputs {
  std::optional<OutputFile> json, markdown, csv, html;
  // The table goes to standard error when another output takes standard output.
  Stream table_stream = Stream::Output;
};

// Checks every destination before any run, so no finished run is lost to a bad
// path. Throws FileError, or std::invalid_argument when two outputs ask for
// standard output.
PreparedOutputs prepare_outputs(const OutputOptions& options);

// What there is to write; the JSON and HTML are made only when asked for.
struct Deliverables {
  const Document* document = nullptr;
  std::function<std::string()> json;
  std::function<std::string()> html;
};

// Writes the files, the JSON first since it holds every figure, then the table.
// Each failure is told on standard error; returns whether all went well.
bool deliver(const PreparedOutputs& outputs, const Deliverables& what);

// "callbench-report: <message>" on standard error.
void complain(const std::string& message);

}  // namespace callbench
