#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/options.hpp"
#include "core/report.hpp"
#include "system/files.hpp"
#include "write/exporter.hpp"

namespace callbench {

// A file the report reads or runs, which no output may replace.
struct ProtectedFile {
  std::string what;  // "the baseline", as a message names it
  std::string path;
};

// The outputs asked for, each with its checked destination.
class Outputs {
 public:
  // Checks every destination before any run, so no finished run is lost to a
  // bad path, and that no two outputs and no output and kept file are one
  // file under two names. Throws Error.
  explicit Outputs(const OutputPaths& paths, const std::vector<ProtectedFile>& kept = {});

  // Writes the files in the exporters' order (the JSON first, since it holds
  // every figure), then the table: to standard output, or to standard error
  // when a file output takes standard output. Each failure is told on standard
  // error; returns 0, or kExitIncomplete if any failed.
  int write_report(const Report& report) const;

 private:
  struct Destination {
    const OutputFormat* format;
    std::string option, path;
    OutputFile file;
  };
  std::vector<Destination> destinations_;
  Stream table_stream_ = Stream::Output;
};

// "callbench-report: <message>" on standard error.
void complain(const std::string& message);

}  // namespace callbench
