#include <windows.h>

#include <cstdlib>

#include "console/stdout_capture.h"

namespace {
void Check(bool ok) {
  if (!ok) std::abort();
}
}  // namespace

struct StdoutCapture::State {
  HANDLE saved;
  HANDLE read_end;
  HANDLE write_end;
  bool finished;
};

StdoutCapture::StdoutCapture() : state_(new State{}) {
  state_->saved = GetStdHandle(STD_OUTPUT_HANDLE);
  Check(CreatePipe(&state_->read_end, &state_->write_end, nullptr, 1 << 16));
  Check(SetStdHandle(STD_OUTPUT_HANDLE, state_->write_end));
}

std::string StdoutCapture::Finish() {
  if (state_->finished) return {};
  state_->finished = true;
  SetStdHandle(STD_OUTPUT_HANDLE, state_->saved);
  CloseHandle(state_->write_end);
  std::string bytes;
  char chunk[256];
  DWORD n;
  while (ReadFile(state_->read_end, chunk, sizeof chunk, &n, nullptr) && n > 0) bytes.append(chunk, n);
  CloseHandle(state_->read_end);
  return bytes;
}

StdoutCapture::~StdoutCapture() {
  Finish();
  delete state_;
}

struct BrokenStdout::State {
  HANDLE saved;
};

BrokenStdout::BrokenStdout() : state_(new State{GetStdHandle(STD_OUTPUT_HANDLE)}) {
  SetStdHandle(STD_OUTPUT_HANDLE, INVALID_HANDLE_VALUE);
}

BrokenStdout::~BrokenStdout() {
  SetStdHandle(STD_OUTPUT_HANDLE, state_->saved);
  delete state_;
}
