#include "run/process.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <sstream>

extern char** environ;

namespace callbench {
namespace {

using Clock = std::chrono::steady_clock;

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() { reset(); }
  int get() const { return fd_; }
  void reset(int fd = -1) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }

 private:
  int fd_;
};

// Reads what is there now; returns false at end of file.
bool drain(int fd, std::string& into) {
  char buffer[65536];
  for (;;) {
    const auto n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) {
      into.append(buffer, static_cast<std::size_t>(n));
    } else if (n == 0) {
      return false;
    } else if (errno == EINTR) {
      continue;
    } else {
      return errno == EAGAIN || errno == EWOULDBLOCK;
    }
  }
}

// A pidfd turns "the child exited" into a poll event, so the wall time is exact.
int open_pidfd(pid_t pid) {
#ifdef SYS_pidfd_open
  return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
  (void)pid;
  return -1;
#endif
}

struct Pipe {
  Fd read, write;
  int open() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return errno;
    read.reset(fds[0]);
    write.reset(fds[1]);
    ::fcntl(fds[0], F_SETFL, O_NONBLOCK);
    return 0;
  }
};

}  // namespace

SpawnResult run_command(const std::vector<std::string>& argv, double timeout_seconds) {
  SpawnResult result;
  Pipe out, err;
  if (int e = out.open(); e != 0) return result.code = e, result;
  if (int e = err.open(); e != 0) return result.code = e, result;

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out.write.get(), 1);
  posix_spawn_file_actions_adddup2(&actions, err.write.get(), 2);

  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  const auto start = Clock::now();
  const auto deadline =
      start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(timeout_seconds));
  pid_t pid = 0;
  const int spawned = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  out.write.reset();
  err.write.reset();
  if (spawned != 0) {
    result.code = spawned;
    return result;
  }

  Fd pidfd(open_pidfd(pid));
  bool out_open = true, err_open = true, exited = false;
  int status = 0;
  auto finish = start;
  for (;;) {
    if (::waitpid(pid, &status, WNOHANG) == pid) {
      finish = Clock::now();
      exited = true;
      break;
    }
    const auto now = Clock::now();
    if (now >= deadline) break;
    auto wait_ms = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
    // Without a pidfd, look at the child every few milliseconds.
    if (pidfd.get() < 0 && wait_ms > 5) wait_ms = 5;

    pollfd fds[3];
    nfds_t n = 0;
    if (out_open) fds[n++] = {out.read.get(), POLLIN, 0};
    if (err_open) fds[n++] = {err.read.get(), POLLIN, 0};
    if (pidfd.get() >= 0) fds[n++] = {pidfd.get(), POLLIN, 0};
    ::poll(fds, n, static_cast<int>(wait_ms));
    if (out_open) out_open = drain(out.read.get(), result.out);
    if (err_open) err_open = drain(err.read.get(), result.err);
  }

  if (!exited) {
    ::kill(pid, SIGKILL);
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    finish = Clock::now();
  }
  // The child is gone; whatever it wrote is in the pipes. Anything it left running
  // may hold them open, so take what is there and stop.
  if (out_open) drain(out.read.get(), result.out);
  if (err_open) drain(err.read.get(), result.err);

  result.wall_seconds = std::chrono::duration<double>(finish - start).count();
  if (!exited) {
    result.outcome = SpawnResult::Outcome::TimedOut;
  } else if (WIFSIGNALED(status)) {
    result.outcome = SpawnResult::Outcome::Signalled;
    result.code = WTERMSIG(status);
  } else {
    result.outcome = SpawnResult::Outcome::Exited;
    result.code = WEXITSTATUS(status);
  }
  return result;
}

std::string failure_reason(const SpawnResult& result, const std::string& program,
                           double timeout_seconds) {
  std::ostringstream reason;
  switch (result.outcome) {
    case SpawnResult::Outcome::NotStarted:
      reason << "cannot start " << program << ": " << std::strerror(result.code);
      break;
    case SpawnResult::Outcome::TimedOut:
      reason << "still running after the timeout of " << timeout_seconds << " s; killed";
      break;
    case SpawnResult::Outcome::Signalled:
      reason << "killed by signal " << result.code << " (" << ::strsignal(result.code) << ")";
      break;
    case SpawnResult::Outcome::Exited:
      if (result.code != 0) reason << "exited with status " << result.code;
      break;
  }
  return reason.str();
}

}  // namespace callbench
