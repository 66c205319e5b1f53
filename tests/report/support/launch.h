// Starts callbench-report in the background with its standard output where a
// test wants it, so the test can signal it and see how it ends.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace callbench {

enum class Destination { File, Closed, ClosedPipe };

struct Ended {
  int status = -1;  // exit status, or 128 + signal if killed
  double seconds = 0;
  long peak_memory_kib = 0;
  std::string out, err;
};

class Launched {
 public:
  // Standard output and error go to files in dir (out to out_path when given);
  // standard input comes from in_path, or is empty. The program is started
  // through wrapper when one is given (e.g. to run it as another user).
  Launched(const std::vector<std::string>& args, const std::string& dir, Destination out = Destination::File,
           const std::string& out_path = "", const std::string& in_path = "",
           const std::vector<std::string>& wrapper = {});
  Launched(const Launched&) = delete;
  Launched& operator=(const Launched&) = delete;
  ~Launched();

  pid_t pid() const { return pid_; }
  void signal(int number) const;
  // Waits at most limit seconds, then kills it and fails the test.
  Ended wait(double limit = 60);

 private:
  pid_t pid_ = -1;
  std::string out_file_, err_file_;
  double started_ = 0;
};

// Waits up to limit seconds for the file to exist with some content.
bool wait_for_file(const std::string& path, double limit = 30);

// The process is gone or a zombie no one has reaped yet.
bool process_gone(int pid);

}  // namespace callbench
