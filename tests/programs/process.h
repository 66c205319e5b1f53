// Runs a command as a child process with its standard streams set up as a
// test needs, and reports how it ended.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace callbench_test {

enum class InputMode { kNull, kFile, kPipe };
enum class OutputMode { kCapture, kClosed, kFile, kReadOneByteThenClose };
enum class ErrorMode { kCapture, kFile };

struct ProcessOptions {
  std::vector<std::string> command;
  std::map<std::string, std::string> environment;  // set on top of ours
  InputMode input = InputMode::kNull;
  std::string input_data;  // written to the file or pipe; keep it small
  OutputMode output = OutputMode::kCapture;
  std::string output_path;  // kFile
  ErrorMode error = ErrorMode::kCapture;
  std::string error_path;  // kFile
  int timeout_seconds = 60;
};

struct ProcessResult {
  bool exited = false;  // false: killed by a signal (or by us on time-out)
  int exit_code = -1;
  int signal = 0;
  bool timed_out = false;
  std::string out;  // kCapture only
  std::string err;  // kCapture only

  bool ExitedWith(int code) const { return exited && exit_code == code; }
  std::string Describe() const;
};

ProcessResult RunProcess(const ProcessOptions& options);

// The whole content of a file ("" if it cannot be read).
std::string FileText(const std::string& path);

// A fresh empty file or directory under the temporary directory, removed
// with its contents on destruction.
class TemporaryPath {
 public:
  enum Kind { kFile, kDirectory };
  TemporaryPath(const std::string& stem, Kind kind);
  ~TemporaryPath();
  TemporaryPath(const TemporaryPath&) = delete;
  TemporaryPath& operator=(const TemporaryPath&) = delete;
  const std::string& str() const { return path_; }

 private:
  std::string path_;
};

}  // namespace callbench_test
