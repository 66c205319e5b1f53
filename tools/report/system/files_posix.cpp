#include <fcntl.h>
#include <linux/capability.h>
#include <linux/fs.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
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

// The temporary name does not grow with the target's, so any name that may be
// created may also be replaced.
constexpr const char* kTemporaryName = ".callbench-report-XXXXXX";

// A private temporary file beside the target; its name is returned in temp.
Fd create_temporary(const std::string& target, std::string& temp) {
  temp = (fs::path(directory_of(target)) / kTemporaryName).string();
  Fd fd(::mkostemp(temp.data(), O_CLOEXEC));
  if (fd.get() < 0) {
    const int error = errno;
    fail(directory_of(target), std::string("cannot create a file here: ") + std::strerror(error));
  }
  return fd;
}

bool all_digits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// The descriptor a path names when it is one of this process's own, as
// /dev/stdout and /proc/self/fd/1 are once their directory is resolved; else -1.
int own_descriptor(const std::string& real_dir, const std::string& name) {
  if (!all_digits(name) || name.size() > 9) return -1;
  const std::string own = "/proc/" + std::to_string(::getpid());
  if (real_dir.rfind(own + "/", 0) != 0) return -1;
  const std::string_view rest = std::string_view(real_dir).substr(own.size());
  const bool task = rest.rfind("/task/", 0) == 0 && rest.size() > 9 && rest.substr(rest.size() - 3) == "/fd" &&
                    all_digits(rest.substr(6, rest.size() - 9));
  return rest == "/fd" || task ? std::stoi(name) : -1;
}

struct Destination {
  int descriptor = -1;  // when the path names one of this process's descriptors
  std::string target;   // else the file, absolute, in a directory in canonical form
};

// Follows symbolic links to where a write lands, a dangling link included
// (its target is created, as a shell's redirection would).
Destination resolve_destination(const std::string& path) {
  std::string current = path;
  for (int hop = 0; hop <= 40; ++hop) {
    const std::string name = fs::path(current).filename().string();
    if (name.empty() || name == "." || name == "..") {
      char real[PATH_MAX];
      if (::realpath(current.c_str(), real) == nullptr) fail_errno(path, errno);
      return {-1, real};
    }
    const std::string dir = directory_of(current);
    char real_dir[PATH_MAX];
    if (::realpath(dir.c_str(), real_dir) == nullptr) fail_errno(dir, errno);
    if (const int descriptor = own_descriptor(real_dir, name); descriptor >= 0) return {descriptor, ""};
    const std::string candidate = std::string(real_dir) + (std::strcmp(real_dir, "/") == 0 ? "" : "/") + name;
    struct stat info = {};
    if (::lstat(candidate.c_str(), &info) != 0) {
      if (errno == ENOENT) return {-1, candidate};
      fail_errno(path, errno);
    }
    if (!S_ISLNK(info.st_mode)) return {-1, candidate};
    char link[PATH_MAX];
    const auto length = ::readlink(candidate.c_str(), link, sizeof link);
    if (length < 0 || static_cast<std::size_t>(length) >= sizeof link)
      fail(path,
           std::string("cannot follow the symbolic link: ") + std::strerror(length < 0 ? errno : ENAMETOOLONG));
    const std::string next(link, static_cast<std::size_t>(length));
    current = next.front() == '/' ? next : std::string(real_dir) + "/" + next;
  }
  fail(path, std::string("cannot follow the symbolic link: ") + std::strerror(ELOOP));
}

bool may_override_file_permissions() {
  __user_cap_header_struct header = {_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[2] = {};
  if (::syscall(SYS_capget, &header, data) != 0) return ::geteuid() == 0;
  return (data[CAP_FOWNER / 32].effective & (1u << (CAP_FOWNER % 32))) != 0;
}

// What would make the rename onto an existing file fail once the runs are
// over, found without touching the file.
void check_replaceable(const std::string& path, const std::string& target, const struct stat& file) {
  struct stat dir = {};
  if (::stat(directory_of(target).c_str(), &dir) != 0) fail_errno(directory_of(target), errno);
  // In a sticky directory such as /tmp only the file's or the directory's owner may replace it.
  const uid_t user = ::geteuid();
  if ((dir.st_mode & S_ISVTX) && user != file.st_uid && user != dir.st_uid && !may_override_file_permissions())
    fail(path, "cannot be replaced: the directory is sticky and the file is another user's");
  Fd fd(::open(target.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  int flags = 0;
  if (fd.get() >= 0 && ::ioctl(fd.get(), FS_IOC_GETFLAGS, &flags) == 0 &&
      (flags & (FS_IMMUTABLE_FL | FS_APPEND_FL)))
    fail(path, "cannot be replaced: the file is immutable or append-only");
}

bool is_standard_output_file(const struct stat& file) {
  struct stat out = {};
  return ::fstat(1, &out) == 0 && S_ISREG(out.st_mode) && out.st_dev == file.st_dev &&
         out.st_ino == file.st_ino;
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

std::optional<FileIdentity> existing_file_identity(const std::string& path) {
  struct stat info = {};
  if (path.empty() || ::stat(path.c_str(), &info) != 0) return std::nullopt;
  return FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino), ""};
}

OutputFile OutputFile::prepare(const std::string& path) {
  OutputFile file;
  file.name_ = path;
  if (path == "-") return file;
  check_path_text(path);

  const Destination destination = resolve_destination(path);
  switch (destination.descriptor) {
    case -1:
      break;
    case 1:
      return file;
    case 2:
      fail(path, "is standard error, where the messages go");
    default:
      fail(path, "names descriptor " + std::to_string(destination.descriptor) + ", not a file");
  }
  const std::string& target = destination.target;
  struct stat info = {};
  if (::stat(target.c_str(), &info) == 0) {
    if (!S_ISREG(info.st_mode)) fail(path, kind_of(info.st_mode));
    if (::access(target.c_str(), W_OK) != 0) fail_errno(path, errno);
    check_replaceable(path, target, info);
    if (is_standard_output_file(info))
      fail(path, "is where standard output goes already; give - to write there");
    file.identity_ = {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino), ""};
  } else if (errno == ENOENT) {
    file.identity_.would_be = target;
  } else {
    fail_errno(path, errno);
  }

  // The one sure test that files may be created there: make the temporary file, then remove it.
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

void report_broken_pipes_as_errors() {
  ::signal(SIGPIPE, SIG_IGN);
}

bool is_terminal(Stream stream) {
  return ::isatty(stream == Stream::Output ? 1 : 2) == 1;
}

}  // namespace callbench
