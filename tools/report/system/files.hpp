#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "core/error.hpp"
#include "core/limits.hpp"

namespace callbench {

// Path and I/O problems are thrown as Error, worded "<file>: <reason>".

// The largest file read whole: the largest report this program writes.
inline constexpr std::size_t kMaxInputFile = kMaxReportFile;

// The whole of a regular file (also through a symbolic link). FIFOs, devices
// and directories are refused before anything is read from them, so nothing
// blocks; so is a file of more than limit bytes. Throws Error.
std::string read_regular_file(const std::string& path, std::size_t limit = kMaxInputFile);

// All of standard input, at most limit bytes (else Error).
std::string read_standard_input(std::size_t limit = kMaxInputFile);

// Which file a name leads to, so that two names of one file are known as one:
// the file itself when it exists (through any links), else the absolute path
// it would be created at.
struct FileIdentity {
  std::uint64_t device = 0;  // on Windows the volume's serial number
  std::uint64_t index = 0;   // the inode; on Windows the file index
  std::string would_be;      // only for a file not there yet

  friend bool operator==(const FileIdentity& a, const FileIdentity& b) {
    return a.device == b.device && a.index == b.index && a.would_be == b.would_be;
  }
};

// The identity of a file that exists; none when nothing is there to be looked at.
std::optional<FileIdentity> existing_file_identity(const std::string& path);

// Where a report is written, checked before any run so that no finished run is
// lost to a bad path: "-" is standard output, and so is a name of it such as
// /dev/stdout; a path must lead to a regular file that this program may
// replace, or to none yet in a directory where it may create files. Symbolic
// links are followed, a dangling one too, and their target replaced or
// created, the links kept.
class OutputFile {
 public:
  // Throws Error.
  static OutputFile prepare(const std::string& path);

  bool is_standard_output() const { return target_.empty(); }
  // As the user gave it.
  const std::string& name() const { return name_; }
  // The file replaced or created; meaningless for standard output.
  const FileIdentity& identity() const { return identity_; }

  // Atomically: readers see the old content or the whole new one, never a
  // part. An existing file keeps its mode. Throws Error.
  void write(const std::string& content) const;

 private:
  std::string name_;
  std::string target_;  // resolved, absolute; empty for standard output
  FileIdentity identity_;
};

enum class Stream { Output, Error };

// A standard stream closed at start is given a descriptor that refuses writes,
// so no file opened later takes its number and output meant for it fails visibly.
void guard_standard_streams();

// From now on a write to a pipe whose reader has gone fails (EPIPE) instead of
// ending the program, so the failure is told and the files still written.
void report_broken_pipes_as_errors();

// All of text, or throws Error ("standard output: <reason>").
void write_stream(Stream stream, const std::string& text);

// Whether the stream is an interactive terminal.
bool is_terminal(Stream stream);

}  // namespace callbench
