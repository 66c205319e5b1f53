#pragma once

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace callbench {

// Owns a POSIX file descriptor; -1 means none.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  Fd(Fd&& other) noexcept : fd_(other.release()) {}
  Fd& operator=(Fd&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() { reset(); }

  int get() const { return fd_; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void reset(int fd = -1) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }

 private:
  int fd_;
};

// Reads exactly the bytes a pipe holds now into sink, and none that arrive
// meanwhile: a writer that keeps up with the reading cannot hold it. How many.
template <typename Sink>
std::size_t read_waiting(int fd, Sink& sink) {
  int waiting = 0;
  if (::ioctl(fd, FIONREAD, &waiting) != 0) return 0;
  std::size_t taken = 0;
  char buffer[16 * 1024];
  while (waiting > 0) {
    const auto n = ::read(fd, buffer, std::min(sizeof buffer, static_cast<std::size_t>(waiting)));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    sink.append(buffer, static_cast<std::size_t>(n));
    waiting -= static_cast<int>(n);
    taken += static_cast<std::size_t>(n);
  }
  return taken;
}

}  // namespace callbench
