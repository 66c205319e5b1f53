#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "system/bounded_capture.hpp"
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
    sigfillset(&defaults);
    sigdelset(&defaults, SIGKILL);
    sigdelset(&defaults, SIGSTOP);
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

struct ProcessStat {
  std::string name;
  char state = 0;
  pid_t group = 0;
};

// The name, state and process group in /proc/<pid>/stat: "pid (name) state ppid pgrp ...".
std::optional<ProcessStat> process_stat(pid_t pid) {
  char text[512];
  Fd fd(::open(("/proc/" + std::to_string(pid) + "/stat").c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return std::nullopt;
  const auto n = ::read(fd.get(), text, sizeof text - 1);
  if (n <= 0) return std::nullopt;
  const std::string_view line(text, static_cast<std::size_t>(n));
  const auto open = line.find('('), close = line.rfind(')');
  if (open == std::string_view::npos || close == std::string_view::npos || close + 2 >= line.size())
    return std::nullopt;
  ProcessStat stat;
  stat.name = std::string(line.substr(open + 1, close - open - 1));
  stat.state = line[close + 2];
  long parent = 0, group = 0;
  if (std::sscanf(text + close + 3, "%ld %ld", &parent, &group) != 2) return std::nullopt;
  stat.group = static_cast<pid_t>(group);
  return stat;
}

// Waits for nothing; the run stays a zombie until reaped.
bool has_exited(pid_t pid) {
  siginfo_t info = {};
  return ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid;
}

// This program adopts what its runs leave behind (as a child subreaper), so
// that whether a run left anything is seen among its own children, without
// reading every process on the machine after every run.
void adopt_orphans() {
  static const bool adopting = ::prctl(PR_SET_CHILD_SUBREAPER, 1) == 0;
  (void)adopting;
}

// This program's children, or none when the system does not list them.
std::optional<std::vector<pid_t>> own_children() {
  char text[4096];
  Fd fd(::open(("/proc/self/task/" + std::to_string(::gettid()) + "/children").c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return std::nullopt;
  const auto n = ::read(fd.get(), text, sizeof text - 1);
  // A list too long to read at once is read as if some child were left.
  if (n < 0 || n == static_cast<ssize_t>(sizeof text - 1)) return std::nullopt;
  text[n] = '\0';
  std::vector<pid_t> children;
  for (char* at = text; *at;) {
    char* end = nullptr;
    const long pid = std::strtol(at, &end, 10);
    if (end == at) break;
    children.push_back(static_cast<pid_t>(pid));
    at = end;
  }
  return children;
}

// Whether anything other than zombies is still in the group: any such process
// descends from the run, and once the run has exited the topmost of them is
// this program's child.
bool group_may_live(pid_t group) {
  const auto children = own_children();
  if (!children) return true;
  for (const pid_t child : *children) {
    if (child == group) continue;
    const auto stat = process_stat(child);
    if (stat && stat->group == group && stat->state != 'Z' && stat->state != 'X') return true;
  }
  return false;
}

// Children adopted from finished runs of this group that have ended since.
void reap_adopted(pid_t group) {
  const auto children = own_children();
  if (!children) return;
  for (const pid_t child : *children) {
    const auto stat = process_stat(child);
    if (stat && stat->group == group && stat->state == 'Z') ::waitpid(child, nullptr, WNOHANG);
  }
}

// The processes other than zombies still in the run's process group once its
// leader has exited, killed unless their names are spared. How many were killed.
int kill_leftovers(pid_t group, const std::vector<std::string>& spared) {
  if (!group_may_live(group)) return 0;
  int killed = 0;
  bool any_spared = false;
  DIR* proc = ::opendir("/proc");
  if (proc == nullptr) return ::kill(-group, SIGKILL), 0;
  while (const dirent* entry = ::readdir(proc)) {
    const pid_t pid = static_cast<pid_t>(std::atoi(entry->d_name));
    if (pid <= 0 || pid == group) continue;
    const auto stat = process_stat(pid);
    if (!stat || stat->group != group || stat->state == 'Z' || stat->state == 'X') continue;
    if (std::find(spared.begin(), spared.end(), stat->name) != spared.end()) {
      any_spared = true;
      continue;
    }
    ::kill(pid, SIGKILL);
    ++killed;
  }
  ::closedir(proc);
  // Anything started while the list was read goes too, unless some are to be spared.
  if (!any_spared) ::kill(-group, SIGKILL);
  return killed;
}

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

  adopt_orphans();
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

  set_run_group(pid);
  // Whether the run has ended is asked before the clock is: a run that has
  // finished counts, however late this program looks (stopped, or slow to wake).
  while (!(exited = has_exited(pid)) && !stopped()) {
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
  finish = Clock::now();

  if (exited) {
    // Still a zombie, the run keeps its group's number from being reused, so
    // what it left running can be found and killed safely.
    result.left_running = kill_leftovers(pid, limits.spared);
    // Whatever the run wrote is in the pipes now; anything later is not its
    // own (something outside its group may go on writing), so no more is read.
    if (out_open) read_waiting(out.read.get(), captured_out);
    if (err_open) read_waiting(err.read.get(), captured_err);
    if (captured_out.overflowed()) outcome = ProcessResult::Outcome::OutputTooLarge;
  } else {
    kill_group(pid);
  }
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  set_run_group(0);
  reap_adopted(pid);

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

std::optional<std::string> program_file(const std::string& program) {
  const auto usable = [](const std::string& file) {
    struct stat info = {};
    return ::stat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(file.c_str(), X_OK) == 0;
  };
  if (program.empty()) return std::nullopt;
  if (program.find('/') != std::string::npos)
    return usable(program) ? std::optional<std::string>(program) : std::nullopt;
  // posix_spawnp's own search: PATH, or the system's default path without one.
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/bin:/usr/bin";
  for (std::size_t at = 0; at <= dirs.size();) {
    const auto end = std::min(dirs.find(':', at), dirs.size());
    const std::string dir = dirs.substr(at, end - at);
    const std::string file = (dir.empty() ? "." : dir) + "/" + program;
    if (usable(file)) return file;
    at = end + 1;
  }
  return std::nullopt;
}

}  // namespace callbench
