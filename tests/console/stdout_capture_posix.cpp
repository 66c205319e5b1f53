#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

#include "console/stdout_capture.h"

namespace {
void Check(bool ok) {
  if (!ok) std::abort();
}
}  // namespace

struct StdoutCapture::State {
  int saved;
  int read_end;
  bool finished;
};

StdoutCapture::StdoutCapture() : state_(new State{-1, -1, false}) {
  int ends[2];
  Check(pipe(ends) == 0);
  state_->saved = dup(STDOUT_FILENO);
  Check(state_->saved >= 0 && dup2(ends[1], STDOUT_FILENO) == STDOUT_FILENO);
  close(ends[1]);
  state_->read_end = ends[0];
}

std::string StdoutCapture::Finish() {
  if (state_->finished) return {};
  state_->finished = true;
  Check(dup2(state_->saved, STDOUT_FILENO) == STDOUT_FILENO);  // closes the write end
  close(state_->saved);
  std::string bytes;
  char chunk[256];
  ssize_t n;
  while ((n = read(state_->read_end, chunk, sizeof chunk)) > 0) bytes.append(chunk, n);
  close(state_->read_end);
  return bytes;
}

StdoutCapture::~StdoutCapture() {
  Finish();
  delete state_;
}

struct BrokenStdout::State {
  int saved;
};

BrokenStdout::BrokenStdout() : state_(new State{dup(STDOUT_FILENO)}) {
  Check(state_->saved >= 0);
  close(STDOUT_FILENO);
}

BrokenStdout::~BrokenStdout() {
  dup2(state_->saved, STDOUT_FILENO);
  close(state_->saved);
  delete state_;
}
