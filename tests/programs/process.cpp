#include "process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>

namespace callbench_test {
namespace {

void Check(bool ok, const std::string& what) {
  if (!ok) throw std::runtime_error(what + ": " + std::strerror(errno));
}

struct Pipe {
  int read = -1, write = -1;
  Pipe() {
    int fds[2];
    Check(pipe2(fds, O_CLOEXEC) == 0, "pipe");
    read = fds[0];
    write = fds[1];
  }
};

void CloseFd(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

int OpenOrThrow(const std::string& path, int flags) {
  const int fd = open(path.c_str(), flags | O_CLOEXEC, 0644);
  Check(fd >= 0, "open " + path);
  return fd;
}

// Our environment with the given variables set.
std::vector<std::string> ChildEnvironment(const std::map<std::string, std::string>& changes) {
  std::vector<std::string> result;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    if (changes.count(text.substr(0, text.find('='))) == 0) result.push_back(text);
  }
  for (const auto& [name, value] : changes) result.push_back(name + "=" + value);
  return result;
}

std::vector<char*> Pointers(std::vector<std::string>& words) {
  std::vector<char*> result;
  for (auto& word : words) result.push_back(word.data());
  result.push_back(nullptr);
  return result;
}

// Only async-signal-safe calls between fork and exec.
[[noreturn]] void ExecChild(char* const* argv, char* const* envp, int in, int out, int err, int report) {
  signal(SIGPIPE, SIG_DFL);  // an ignored SIGPIPE would be inherited through exec
  if (in >= 0) dup2(in, 0);
  if (out >= 0) {
    dup2(out, 1);
  } else {
    close(1);  // the closed-output case
  }
  if (err >= 0) dup2(err, 2);
  execvpe(argv[0], argv, envp);
  const int error = errno;
  (void)!write(report, &error, sizeof error);
  _exit(127);
}

// One read of a ready pipe; false once the writer has closed it.
bool ReadSome(int fd, std::string& into, size_t limit) {
  char buffer[65536];
  const ssize_t n = read(fd, buffer, std::min(limit, sizeof buffer));
  if (n > 0) into.append(buffer, static_cast<size_t>(n));
  return n > 0 || (n < 0 && errno == EINTR);
}

// Takes what is buffered, up to limit bytes in all, without waiting.
void Drain(int fd, std::string& into, size_t limit) {
  fcntl(fd, F_SETFL, O_NONBLOCK);
  while (into.size() < limit && ReadSome(fd, into, limit - into.size())) {
  }
}

}  // namespace

std::string ProcessResult::Describe() const {
  if (timed_out) return "timed out";
  if (exited) return "exit code " + std::to_string(exit_code);
  return "killed by signal " + std::to_string(signal) + " (" + strsignal(signal) + ")";
}

ProcessResult RunProcess(const ProcessOptions& options) {
  if (options.command.empty()) throw std::invalid_argument("empty command");
  signal(SIGPIPE, SIG_IGN);  // our own writes to a gone reader must not kill the test

  std::vector<std::string> command = options.command;
  std::vector<std::string> environment = ChildEnvironment(options.environment);
  const std::vector<char*> argv = Pointers(command), envp = Pointers(environment);

  int child_in = -1, child_out = -1, child_err = -1;
  int feed = -1, out = -1, err = -1;
  std::optional<TemporaryPath> input_file;
  switch (options.input) {
    case InputMode::kNull:
      child_in = OpenOrThrow("/dev/null", O_RDONLY);
      break;
    case InputMode::kFile: {
      input_file.emplace("input", TemporaryPath::kFile);
      const int fd = OpenOrThrow(input_file->str(), O_WRONLY | O_TRUNC);
      Check(write(fd, options.input_data.data(), options.input_data.size()) ==
                static_cast<ssize_t>(options.input_data.size()),
            "write input");
      close(fd);
      child_in = OpenOrThrow(input_file->str(), O_RDONLY);
      break;
    }
    case InputMode::kPipe: {
      Pipe p;
      child_in = p.read;
      feed = p.write;
      break;
    }
  }
  switch (options.output) {
    case OutputMode::kCapture:
    case OutputMode::kReadOneByteThenClose: {
      Pipe p;
      out = p.read;
      child_out = p.write;
      break;
    }
    case OutputMode::kClosed:
      break;
    case OutputMode::kFile:
      child_out = OpenOrThrow(options.output_path, O_WRONLY);
      break;
  }
  if (options.error == ErrorMode::kCapture) {
    Pipe p;
    err = p.read;
    child_err = p.write;
  } else {
    child_err = OpenOrThrow(options.error_path, O_WRONLY | O_CREAT | O_TRUNC);
  }

  Pipe report;
  const pid_t pid = fork();
  Check(pid >= 0, "fork");
  if (pid == 0) ExecChild(argv.data(), envp.data(), child_in, child_out, child_err, report.write);
  for (int fd : {child_in, child_out, child_err, report.write}) {
    if (fd >= 0) close(fd);
  }
  int exec_error = 0;
  if (read(report.read, &exec_error, sizeof exec_error) == sizeof exec_error) {
    close(report.read);
    waitpid(pid, nullptr, 0);
    errno = exec_error;
    Check(false, "cannot run " + options.command[0]);
  }
  close(report.read);

  if (feed >= 0) {
    (void)!write(feed, options.input_data.data(), options.input_data.size());
    CloseFd(feed);
  }

  ProcessResult result;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(options.timeout_seconds);
  const bool one_byte = options.output == OutputMode::kReadOneByteThenClose;
  int status = 0;
  for (bool child_done = false;;) {
    if (!child_done && waitpid(pid, &status, WNOHANG) == pid) child_done = true;
    if (child_done) {
      // Helpers the child started (Wine's) may hold the pipes open: take
      // what is buffered and stop.
      if (out >= 0) Drain(out, result.out, one_byte ? 1 : SIZE_MAX);
      if (err >= 0) Drain(err, result.err, SIZE_MAX);
      CloseFd(out);
      CloseFd(err);
      break;
    }
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      result.timed_out = true;
      waitpid(pid, &status, 0);
      child_done = true;
      continue;
    }
    pollfd fds[2];
    nfds_t count = 0;
    if (out >= 0) fds[count++] = {out, POLLIN, 0};
    if (err >= 0) fds[count++] = {err, POLLIN, 0};
    poll(fds, count, 20);
    for (nfds_t i = 0; i < count; ++i) {
      if (fds[i].revents == 0) continue;
      if (fds[i].fd == out) {
        const bool open = ReadSome(out, result.out, one_byte ? 1 : SIZE_MAX);
        if (!open || (one_byte && !result.out.empty())) CloseFd(out);
      } else if (!ReadSome(err, result.err, SIZE_MAX)) {
        CloseFd(err);
      }
    }
  }
  result.exited = WIFEXITED(status);
  result.exit_code = result.exited ? WEXITSTATUS(status) : -1;
  result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  return result;
}

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TemporaryPath::TemporaryPath(const std::string& stem, Kind kind) {
  std::string pattern = (std::filesystem::temp_directory_path() / ("callbench-" + stem + "-XXXXXX")).string();
  if (kind == kDirectory) {
    Check(mkdtemp(pattern.data()) != nullptr, "mkdtemp");
  } else {
    const int fd = mkstemp(pattern.data());
    Check(fd >= 0, "mkstemp");
    close(fd);
  }
  path_ = pattern;
}

TemporaryPath::~TemporaryPath() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace callbench_test
