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

std::string contents(const std::string& path) {
  if (!std::filesystem::is_regular_file(path)) return {};  // e.g. /dev/full reads zeros forever
  std::ostringstream text;
  text << std::ifstream(path).rdbuf();
  return text.str();
}

}  // namespace

Launched::Launched(const std::vector<std::string>& args, const std::string& dir, Destination out,
                   const std::string& out_path, const std::string& in_path,
                   const std::vector<std::string>& wrapper)
    : out_file_(out_path.empty() ? dir + "/stdout" : out_path), err_file_(dir + "/stderr") {
  std::vector<char*> argv;
  for (const auto& w : wrapper) argv.push_back(const_cast<char*>(w.c_str()));
  argv.push_back(const_cast<char*>(CALLBENCH_REPORT));
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, in_path.empty() ? "/dev/null" : in_path.c_str(), O_RDONLY, 0);
  int pipe_ends[2] = {-1, -1};
  if (out == Destination::File) {
    posix_spawn_file_actions_addopen(&actions, 1, out_file_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  } else if (out == Destination::Closed) {
    posix_spawn_file_actions_addclose(&actions, 1);
  } else {
    // A pipe whose reader is gone before the program starts: closed only
    // after the spawn, a slow parent could leave it open for the first write.
    EXPECT_EQ(pipe(pipe_ends), 0);
    close(pipe_ends[0]);
    posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], 1);
  }
  posix_spawn_file_actions_addopen(&actions, 2, err_file_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  started_ = now();
  EXPECT_EQ(posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  if (pipe_ends[1] >= 0) close(pipe_ends[1]);
}

Launched::~Launched() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

void Launched::signal(int number) const {
  kill(pid_, number);
}

Ended Launched::wait(double limit) {
  Ended ended;
  int status = 0;
  rusage usage = {};
  while (wait4(pid_, &status, WNOHANG, &usage) == 0) {
    if (now() - started_ > limit) {
      ADD_FAILURE() << "callbench-report still running after " << limit << " s";
      kill(pid_, SIGKILL);
      wait4(pid_, &status, 0, &usage);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  pid_ = -1;
  ended.seconds = now() - started_;
  ended.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  ended.peak_memory_kib = usage.ru_maxrss;
  ended.out = contents(out_file_);
  ended.err = contents(err_file_);
  return ended;
}

bool wait_for_file(const std::string& path, double limit) {
  const double start = now();
  while (contents(path).empty()) {
    if (now() - start > limit) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

bool process_gone(int pid) {
  if (kill(pid, 0) != 0) return true;
  std::string stat = contents("/proc/" + std::to_string(pid) + "/stat");
  const auto close = stat.rfind(')');
  return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] == 'Z';
}

}  // namespace callbench
