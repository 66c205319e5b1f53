#pragma once

#include <cstddef>
#include <string>

#include "core/error.hpp"

namespace callbench {

// Path and I/O problems are thrown as Error, worded "<file>: <reason>".

// A JSON report is far smaller than this; anything larger is not one.
inline constexpr std::size_t kMaxInputFile = 8 * 1024 * 1024;

// The whole of a regular file (also through a symbolic link). FIFOs, devices
// and directories are refused before anything is read from them, so nothing
// blocks; so is a file of more than limit bytes. Throws Error.
std::string read_regular_file(const std::string& path, std::size_t limit = kMaxInputFile);

// All of standard input, at most limit bytes (else Error).
std::string read_standard_input(std::size_t limit = kMaxInputFile);

// Where a report is written, checked before any run so that no finished run is
// lost to a bad path: "-" is standard output; a path must lead to a regular
// file or to none yet, in a directory where this program may create files. A
// symbolic link is followed and its target replaced, the link kept.
class OutputFile {
 public:
  // Throws Error.
  static OutputFile prepare(const std::string& path);

  bool is_standard_output() const { return target_.empty(); }
  // As the user gave it.
  const std::string& name() const { return name_; }

  // Atomically: readers see the old content or the whole new one, never a
  // part. An existing file keeps its mode. Throws Error.
  void write(const std::string& content) const;

 private:
  std::string name_;
  std::string target_;  // resolved; empty for standard output
};

enum class Stream { Output, Error };

// A standard stream closed at start is given a descriptor that refuses writes,
// so no file opened later takes its number and output meant for it fails visibly.
void guard_standard_streams();

// All of text, or throws Error ("standard output: <reason>").
void write_stream(Stream stream, const std::string& text);

// Whether the stream is an interactive terminal.
bool is_terminal(Stream stream);

}  // namespace callbench
