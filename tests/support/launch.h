// Starts a program for a test, with its standard streams and environment as
// the test wants them, so that the test can signal it and see how it ends.
// This is for what callbench-report's own run_process (system/process.hpp,
// which tests use to just run a command) cannot do, by design: give a run
// standard input, close or fill its output, stop reading it, change its
// environment, signal it while it runs, tell its peak memory. Linux only.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace callbench {

enum class Source { Empty, File, Pipe };
// File: a file (out_path, or one of the launcher's own). ClosedPipe: a pipe
// whose reader is gone before the program starts. OneByteThenClosed: a pipe
// read for one byte, then closed.
enum class Destination { File, Closed, ClosedPipe, OneByteThenClosed };

struct Launch {
  std::vector<std::string> command;      // the program is searched in PATH
  std::vector<std::string> environment;  // NAME=value, set on top of this program's
  Source in = Source::Empty;
  std::string input;  // Source::File: its path; Source::Pipe: what is written to it
  Destination out = Destination::File;
  std::string out_path, err_path;  // where the outputs go; empty: files of the launcher's own
};

struct Ended {
  int status = -1;  // exit status, or 128 + signal if killed
  double seconds = 0;
  long peak_memory_kib = 0;
  std::string out, err;  // what it wrote to files, or the one byte read
};

class Launched {
 public:
  explicit Launched(const Launch& launch);
  Launched(const Launched&) = delete;
  Launched& operator=(const Launched&) = delete;
  ~Launched();

  void signal(int number) const;
  // Waits at most limit seconds, then kills it and fails the test.
  Ended wait(double limit = 60);

 private:
  pid_t pid_ = -1;
  std::string name_, scratch_, out_file_, err_file_;
  int one_byte_ = -1;  // the reading end for Destination::OneByteThenClosed
  std::string byte_;
  double started_ = 0;
};

// Starts the program and waits for its end.
inline Ended launch(const Launch& how, double limit = 60) {
  return Launched(how).wait(limit);
}

// The bytes of a regular file; "" for anything else or a file that cannot be read.
std::string file_text(const std::string& path);

// Waits up to limit seconds for the file to exist with some content.
bool wait_for_file(const std::string& path, double limit = 30);

// The process is gone or a zombie no one has reaped yet.
bool process_gone(int pid);

}  // namespace callbench
