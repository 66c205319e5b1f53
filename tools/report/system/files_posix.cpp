#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "core/text.hpp"
#include "system/files.hpp"
#include "system/posix_fd.hpp"

namespace callbench {
namespace {

namespace fs = std::filesystem;

[[noreturn]] void fail(const std::string& file, const std::string& reason) {
  throw Error(file + ": " + reason);
}

[[noreturn]] void fail_errno(const std::string& file, int error) {
  fail(file, std::strerror(error));
}

const char* kind_of(mode_t mode) {
  if (S_ISDIR(mode)) return "is a directory";
  if (S_ISFIFO(mode)) return "is a FIFO";
  if (S_ISCHR(mode)) return "is a character device";
  if (S_ISBLK(mode)) return "is a block device";
  if (S_ISSOCK(mode)) return "is a socket";
  return "is not a regular file";
}

void check_path_text(const std::string& path) {
  if (path.empty()) throw Error("an empty file name was given");
  if (!is_valid_utf8(path)) fail(quote(path), "the name is not valid UTF-8");
  if (path.find('\0') != std::string::npos) fail(quote(path), "the name holds a NUL byte");
}

bool write_all(int fd, std::string_view bytes, int& error) {
  while (!bytes.empty()) {
    const auto n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      error = errno;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

std::string directory_of(const std::string& target) {
  const auto parent = fs::path(target).parent_path();
  return parent.empty() ? std::string(".") : parent.string();
}

// A private temporary file beside the target; its name is returned in temp.
Fd create_temporary(const std::string& target, std::string& temp) {
  const fs::path path(target);
  temp = (fs::path(directory_of(target)) / ("." + path.filename().string() + ".XXXXXX")).string();
  Fd fd(::mkostemp(temp.data(), O_CLOEXEC));
  if (fd.get() < 0) {
    const int error = errno;
    fail(directory_of(target), std::string("cannot create a file here: ") + std::strerror(error));
  }
  return fd;
}

}  // namespace

std::string read_regular_file(const std::string& path, std::size_t limit) {
  check_path_text(path);
  // Non-blocking, so a FIFO is not waited on before fstat can refuse it.
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (fd.get() < 0) fail_errno(path, errno);
  struct stat info = {};
  if (::fstat(fd.get(), &info) != 0) fail_errno(path, errno);
  if (!S_ISREG(info.st_mode)) fail(path, kind_of(info.st_mode));
  ::fcntl(fd.get(), F_SETFL, 0);

  // Files in /proc report a size of 0, so the bound is on what is read.
  std::string content;
  char buffer[64 * 1024];
  for (;;) {
    const auto n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      fail_errno(path, errno);
    }
    if (n == 0) break;
    if (content.size() + static_cast<std::size_t>(n) > limit)
      fail(path, "larger than " + std::to_string(limit) + " bytes");
    content.append(buffer, static_cast<std::size_t>(n));
  }
  return content;
}

std::string read_standard_input(std::size_t limit) {
  std::string content;
  char buffer[64 * 1024];
  for (;;) {
    const auto n = ::read(0, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      fail_errno("standard input", errno);
    }
    if (n == 0) break;
    if (content.size() + static_cast<std::size_t>(n) > limit)
      fail("standard input", "larger than " + std::to_string(limit) + " bytes");
    content.append(buffer, static_cast<std::size_t>(n));
  }
  return content;
}

OutputFile OutputFile::prepare(const std::string& path) {
  OutputFile file;
  file.name_ = path;
  if (path == "-") return file;
  check_path_text(path);

  std::string target = path;
  struct stat link = {};
  if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) {
      const int error = errno;
      fail(path, std::string("cannot follow the symbolic link: ") + std::strerror(error));
    }
    target = resolved;
  }

  struct stat info = {};
  if (::stat(target.c_str(), &info) == 0) {
    if (!S_ISREG(info.st_mode)) fail(path, kind_of(info.st_mode));
    if (::access(target.c_str(), W_OK) != 0) fail_errno(path, errno);
  } else if (errno != ENOENT) {
    fail_errno(path, errno);
  } else {
    const std::string dir = directory_of(target);
    struct stat dir_info = {};
    if (::stat(dir.c_str(), &dir_info) != 0) fail_errno(dir, errno);
    if (!S_ISDIR(dir_info.st_mode)) fail(dir, "is not a directory");
  }

  // The one sure test of writability: make the temporary file, then remove it.
  std::string temp;
  Fd probe = create_temporary(target, temp);
  ::unlink(temp.c_str());
  file.target_ = target;
  return file;
}

void OutputFile::write(const std::string& content) const {
  if (is_standard_output()) return write_stream(Stream::Output, content);

  struct stat existing = {};
  const bool replacing = ::stat(target_.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
  std::string temp;
  Fd fd = create_temporary(target_, temp);

  mode_t mode;
  if (replacing) {
    mode = existing.st_mode & 07777;
  } else {
    // mkstemp makes the file private; give it the mode any new file would get.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  // Owner first: changing it may clear mode bits that fchmod then sets.
  if (replacing) (void)!::fchown(fd.get(), existing.st_uid, existing.st_gid);
  int error = 0;
  bool ok = write_all(fd.get(), content, error);
  if (ok && (::fchmod(fd.get(), mode) != 0 || ::fsync(fd.get()) != 0)) ok = false, error = errno;
  if (ok && ::close(fd.release()) != 0) ok = false, error = errno;
  if (ok && ::rename(temp.c_str(), target_.c_str()) != 0) ok = false, error = errno;
  if (!ok) {
    ::unlink(temp.c_str());
    fail_errno(name_, error);
  }
  // Make the rename itself durable.
  Fd dir(::open(directory_of(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) ::fsync(dir.get());
}

void write_stream(Stream stream, const std::string& text) {
  const int fd = stream == Stream::Output ? 1 : 2;
  int error = 0;
  if (!write_all(fd, text, error))
    fail(stream == Stream::Output ? "standard output" : "standard error", std::strerror(error));
}

void guard_standard_streams() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // Read-only, so a write to it fails with EBADF as the closed stream would.
    const int held = ::open("/dev/null", O_RDONLY);
    if (held >= 0 && held != fd) {
      ::dup2(held, fd);
      ::close(held);
    }
  }
}

bool is_terminal(Stream stream) { return ::isatty(stream == Stream::Output ? 1 : 2) == 1; }

}  // namespace callbench
