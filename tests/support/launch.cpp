#include "launch.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace callbench {
namespace {

double now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// This program's environment with the given NAME=value entries set.
std::vector<std::string> environment_with(const std::vector<std::string>& changes) {
  std::vector<std::string> entries;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    bool changed = false;
    for (const auto& change : changes)
      changed |= change.substr(0, change.find('=')) == text.substr(0, text.find('='));
    if (!changed) entries.push_back(text);
  }
  entries.insert(entries.end(), changes.begin(), changes.end());
  return entries;
}

std::vector<char*> pointers(std::vector<std::string>& words) {
  std::vector<char*> result;
  for (auto& word : words) result.push_back(word.data());
  result.push_back(nullptr);
  return result;
}

}  // namespace

Launched::Launched(const Launch& launch) {
  char scratch[] = "/tmp/callbench-launch-XXXXXX";
  EXPECT_NE(::mkdtemp(scratch), nullptr);
  scratch_ = scratch;
  if (launch.out == Destination::File)
    out_file_ = launch.out_path.empty() ? scratch_ + "/stdout" : launch.out_path;
  err_file_ = launch.err_path.empty() ? scratch_ + "/stderr" : launch.err_path;
  auto command = launch.command;
  name_ = command.at(0);
  auto environment = environment_with(launch.environment);
  const auto argv = pointers(command), envp = pointers(environment);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  int in_pipe[2] = {-1, -1}, out_pipe[2] = {-1, -1};
  if (launch.in == Source::Pipe) {
    // Written before the start, so the run cannot have gone before it is read (a few bytes fit a pipe).
    EXPECT_EQ(::pipe2(in_pipe, O_CLOEXEC), 0);
    EXPECT_EQ(::write(in_pipe[1], launch.input.data(), launch.input.size()),
              static_cast<ssize_t>(launch.input.size()));
    ::close(in_pipe[1]);
    posix_spawn_file_actions_adddup2(&actions, in_pipe[0], 0);
  } else {
    posix_spawn_file_actions_addopen(
        &actions, 0, launch.in == Source::File ? launch.input.c_str() : "/dev/null", O_RDONLY, 0);
  }
  if (launch.out == Destination::File) {
    posix_spawn_file_actions_addopen(&actions, 1, out_file_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  } else if (launch.out == Destination::Closed) {
    posix_spawn_file_actions_addclose(&actions, 1);
  } else {
    EXPECT_EQ(::pipe2(out_pipe, O_CLOEXEC), 0);
    // A reader gone before the start: closed only after it, a slow parent
    // could leave the pipe open for the first write.
    if (launch.out == Destination::ClosedPipe) ::close(out_pipe[0]);
    if (launch.out == Destination::OneByteThenClosed) ::fcntl(one_byte_ = out_pipe[0], F_SETFL, O_NONBLOCK);
    posix_spawn_file_actions_adddup2(&actions, out_pipe[1], 1);
  }
  posix_spawn_file_actions_addopen(&actions, 2, err_file_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  // Whatever this program ignores, the run starts with SIGPIPE at its default.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
  started_ = now();
  EXPECT_EQ(::posix_spawnp(&pid_, argv[0], &actions, &attributes, argv.data(), envp.data()), 0) << argv[0];
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  for (const int end : {in_pipe[0], out_pipe[1]})
    if (end >= 0) ::close(end);
}

Launched::~Launched() {
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  if (one_byte_ >= 0) ::close(one_byte_);
  std::error_code ignored;
  std::filesystem::remove_all(scratch_, ignored);
}

void Launched::signal(int number) const {
  ::kill(pid_, number);
}

Ended Launched::wait(double limit) {
  Ended ended;
  int status = 0;
  rusage usage = {};
  const auto read_one_byte = [&] {
    char byte = 0;
    const auto n = one_byte_ < 0 ? -1 : ::read(one_byte_, &byte, 1);
    if (n == 1) byte_.assign(1, byte);
    if (n == 0 || n == 1) ::close(one_byte_), one_byte_ = -1;
  };
  while (pid_ > 0 && ::wait4(pid_, &status, WNOHANG, &usage) == 0) {
    read_one_byte();
    if (now() - started_ > limit) {
      ADD_FAILURE() << name_ << " still running after " << limit << " s";
      ::kill(pid_, SIGKILL);
      ::wait4(pid_, &status, 0, &usage);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  read_one_byte();
  pid_ = -1;
  ended.seconds = now() - started_;
  ended.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  ended.peak_memory_kib = usage.ru_maxrss;
  ended.out = byte_ + file_text(out_file_);
  ended.err = file_text(err_file_);
  return ended;
}

std::string file_text(const std::string& path) {
  if (!std::filesystem::is_regular_file(path)) return {};  // e.g. /dev/full reads zeros forever
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

bool wait_for_file(const std::string& path, double limit) {
  const double start = now();
  while (file_text(path).empty()) {
    if (now() - start > limit) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

bool process_gone(int pid) {
  if (::kill(pid, 0) != 0) return true;
  std::string stat = file_text("/proc/" + std::to_string(pid) + "/stat");
  const auto close = stat.rfind(')');
  return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] == 'Z';
}

}  // namespace callbench
