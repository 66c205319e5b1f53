// Redirects the process's standard output handle for the lifetime of the
// object, so what PrintText writes can be read back.
#pragma once

#include <string>

class StdoutCapture {
 public:
  StdoutCapture();
  ~StdoutCapture();
  StdoutCapture(const StdoutCapture&) = delete;
  StdoutCapture& operator=(const StdoutCapture&) = delete;

  // Restores standard output and returns every byte written meanwhile.
  std::string Finish();

 private:
  struct State;
  State* state_;
};

// Makes standard output unusable until the object is gone, so writes fail.
class BrokenStdout {
 public:
  BrokenStdout();
  ~BrokenStdout();
  BrokenStdout(const BrokenStdout&) = delete;
  BrokenStdout& operator=(const BrokenStdout&) = delete;

 private:
  struct State;
  State* state_;
};
