#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "system/capture.hpp"
#include "system/interruption.hpp"
#include "system/interruption_posix.hpp"
#include "system/posix_fd.hpp"
#include "system/process.hpp"

extern char** environ;

namespace callbench {
namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kChunk = 16 * 1024;

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

enum class Read { More, Empty, Closed };

// One chunk at most, so the caller looks at the clock between chunks.
template <typename Sink>
Read read_chunk(int fd, Sink& sink) {
  char buffer[kChunk];
  for (;;) {
    const auto n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) {
      sink.append(buffer, static_cast<std::size_t>(n));
      return Read::More;
    }
    if (n == 0) return Read::Closed;
    if (errno == EINTR) continue;
    return errno == EAGAIN || errno == EWOULDBLOCK ? Read::Empty : Read::Closed;
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

// The run starts with default signal handling and an empty mask, whatever
// this program set for itself, in a new process group led by the run.
struct SpawnSetup {
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;

  SpawnSetup(int out, int err) {
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out, 1);
    posix_spawn_file_actions_adddup2(&actions, err, 2);
    posix_spawnattr_init(&attributes);
    sigset_t defaults, empty;
    sigemptyset(&defaults);
    for (int signal : {SIGPIPE, SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&defaults, signal);
    sigemptyset(&empty);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setsigmask(&attributes, &empty);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  }
  ~SpawnSetup() {
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
  }
};

void kill_group(pid_t pid) {
  ::kill(-pid, SIGKILL);
  ::kill(pid, SIGKILL);  // in case it left its group
}

ProcessResult not_started(int error) {
  ProcessResult result;
  result.code = error;
  result.start_error = std::strerror(error);
  return result;
}

}  // namespace

ProcessResult run_process(const std::vector<std::string>& argv, const ProcessLimits& limits) {
  if (argv.empty()) return not_started(ENOENT);
  Pipe out, err;
  if (int e = out.open(); e != 0) return not_started(e);
  if (int e = err.open(); e != 0) return not_started(e);

  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  const auto start = Clock::now();
  const auto deadline = start + std::chrono::duration_cast<Clock::duration>(
                                    std::chrono::duration<double>(limits.timeout_seconds));
  pid_t pid = 0;
  int spawned;
  {
    SpawnSetup setup(out.write.get(), err.write.get());
    spawned = ::posix_spawnp(&pid, args[0], &setup.actions, &setup.attributes, args.data(), environ);
  }
  out.write.reset();
  err.write.reset();
  if (spawned != 0) return not_started(spawned);

  ProcessResult result;
  BoundedCapture captured_out(limits.max_output);
  TailCapture captured_err(limits.error_tail);
  Fd pidfd(open_pidfd(pid));
  bool out_open = true, err_open = true, exited = false;
  auto outcome = ProcessResult::Outcome::Exited;
  int status = 0;
  auto finish = start;

  const auto stopped = [&]() {
    if (captured_out.overflowed()) return outcome = ProcessResult::Outcome::OutputTooLarge, true;
    if (Clock::now() >= deadline) return outcome = ProcessResult::Outcome::TimedOut, true;
    if (interruption_signal() != 0) return outcome = ProcessResult::Outcome::Interrupted, true;
    return false;
  };

  while (!stopped()) {
    if (::waitpid(pid, &status, WNOHANG) == pid) {
      finish = Clock::now();
      exited = true;
      break;
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    // Without a pidfd, look at the child every few milliseconds.
    const auto wait_ms = pidfd.get() < 0 ? std::min<long long>(left, 5) : left;

    pollfd fds[4];
    nfds_t n = 0;
    if (out_open) fds[n++] = {out.read.get(), POLLIN, 0};
    if (err_open) fds[n++] = {err.read.get(), POLLIN, 0};
    if (pidfd.get() >= 0) fds[n++] = {pidfd.get(), POLLIN, 0};
    if (interruption_fd() >= 0) fds[n++] = {interruption_fd(), POLLIN, 0};
    ::poll(fds, n, static_cast<int>(std::max<long long>(wait_ms, 0)));
    if (out_open) out_open = read_chunk(out.read.get(), captured_out) != Read::Closed;
    if (err_open) err_open = read_chunk(err.read.get(), captured_err) != Read::Closed;
  }

  if (exited) {
    // Whatever the run wrote is in the pipes now. Something it left behind may
    // keep them open and go on writing, so read only what is there, within bounds.
    while (out_open && !captured_out.overflowed() && Clock::now() < deadline &&
           read_chunk(out.read.get(), captured_out) == Read::More) {
    }
    while (err_open && Clock::now() < deadline &&
           read_chunk(err.read.get(), captured_err) == Read::More) {
    }
    if (captured_out.overflowed()) {
      outcome = ProcessResult::Outcome::OutputTooLarge;
      ::kill(-pid, SIGKILL);  // whatever of the run's group is still writing
    }
  } else {
    kill_group(pid);
    finish = Clock::now();
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }

  result.wall_seconds = std::chrono::duration<double>(finish - start).count();
  result.out = captured_out.take();
  result.err_dropped = captured_err.dropped();
  result.err = captured_err.take();
  result.outcome = outcome;
  if (outcome != ProcessResult::Outcome::Exited) return result;
  if (WIFSIGNALED(status)) {
    result.outcome = ProcessResult::Outcome::Signalled;
    result.code = WTERMSIG(status);
  } else {
    result.code = WEXITSTATUS(status);
  }
  return result;
}

}  // namespace callbench
