#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string_view>

#include "system/files.hpp"
#include "system/regular_file_windows.hpp"
#include "system/windows_handle.hpp"
#include "system/windows_names.hpp"
#include "system/windows_text.hpp"

namespace callbench {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kChunk = 64 * 1024;

[[noreturn]] void fail(const std::string& file, const std::string& reason) {
  throw Error(file + ": " + reason);
}

[[noreturn]] void fail_last_error(const std::string& file) {
  fail(file, system_message(::GetLastError()));
}

// Through std::filesystem in UTF-16: its narrow strings are in the ANSI code page.
std::string directory_of(const std::string& target) {
  const auto parent = std::filesystem::path(widen(target)).parent_path();
  return parent.empty() ? std::string(".") : narrow(parent.wstring());
}

std::string file_name_of(const std::string& target) {
  return narrow(std::filesystem::path(widen(target)).filename().wstring());
}

bool write_all(HANDLE handle, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    const DWORD chunk = bytes.size() < kChunk ? static_cast<DWORD>(bytes.size()) : kChunk;
    if (!::WriteFile(handle, bytes.data(), chunk, &written, nullptr)) return false;
    if (written == 0) return ::SetLastError(ERROR_WRITE_FAULT), false;
    bytes.remove_prefix(written);
  }
  return true;
}

// The console takes UTF-16, so the text shows as written whatever its code page.
bool write_console(HANDLE console, const std::string& text) {
  const std::wstring wide = widen(text);
  std::size_t done = 0;
  while (done < wide.size()) {
    std::size_t chunk = std::min<std::size_t>(wide.size() - done, 8192);
    // Never split a surrogate pair between two calls.
    if (done + chunk < wide.size() && IS_HIGH_SURROGATE(wide[done + chunk - 1])) --chunk;
    DWORD written = 0;
    if (!::WriteConsoleW(console, wide.data() + done, static_cast<DWORD>(chunk), &written, nullptr))
      return false;
    if (written == 0) return ::SetLastError(ERROR_WRITE_FAULT), false;
    done += written;
  }
  return true;
}

// A private temporary file beside the target; its name is returned in temp.
// A probe deletes itself when closed. The name does not grow with the
// target's, so any name that may be created may also be replaced.
Handle create_temporary(const std::string& target, std::string& temp, bool probe) {
  const std::string dir = directory_of(target);
  static std::mt19937 random(std::random_device{}() ^ ::GetCurrentProcessId() ^ ::GetTickCount());
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[32];
    std::snprintf(name, sizeof name, "\\.callbench-report-%06x", static_cast<unsigned>(random() & 0xFFFFFF));
    temp = dir + name;
    Handle file(::CreateFileW(widen(temp).c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL | (probe ? FILE_FLAG_DELETE_ON_CLOSE : 0), nullptr));
    if (file) return file;
    const DWORD error = ::GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
      fail(dir, "cannot create a file here: " + system_message(error));
  }
  fail(dir, "cannot create a file here: every temporary name tried is taken");
}

// That a file in the target's folder can be replaced as write() will: one
// temporary file put in another's place, both removed.
void check_replacing_works(const std::string& path, const std::string& target) {
  std::string first, second;
  create_temporary(target, first, false).reset();
  create_temporary(target, second, false).reset();
  const bool replaced =
      ::ReplaceFileW(widen(first).c_str(), widen(second).c_str(), nullptr,
                     REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr, nullptr);
  const DWORD error = ::GetLastError();
  ::DeleteFileW(widen(first).c_str());
  ::DeleteFileW(widen(second).c_str());
  if (!replaced) fail(path, "cannot replace files in its folder: " + system_message(error));
}

std::string full_path(const std::string& path) {
  const std::wstring wide = widen(path);
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0) fail_last_error(path);
    if (length < full.size()) return narrow(full.data(), length);
    full.resize(length);
  }
}

std::optional<FileIdentity> identity_of(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info = {};
  if (!::GetFileInformationByHandle(file, &info)) return std::nullopt;
  return FileIdentity{info.dwVolumeSerialNumber,
                      static_cast<std::uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow, ""};
}

// Names are compared as the file system does, without regard to case.
std::string folded(const std::string& path) {
  std::wstring wide = widen(path);
  if (!wide.empty()) ::CharLowerBuffW(wide.data(), static_cast<DWORD>(wide.size()));
  return narrow(wide);
}

// "\\?\C:\dir\file" as "C:\dir\file", "\\?\UNC\server\share" as "\\server\share".
std::string without_long_path_prefix(std::string path) {
  if (path.rfind("\\\\?\\UNC\\", 0) == 0) return "\\\\" + path.substr(8);
  if (path.rfind("\\\\?\\", 0) == 0) return path.substr(4);
  return path;
}

std::string final_path(const std::string& path) {
  Handle link(::CreateFileW(widen(path).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!link) fail(path, "cannot follow the symbolic link: " + system_message(::GetLastError()));
  std::wstring resolved(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetFinalPathNameByHandleW(link.get(), resolved.data(), static_cast<DWORD>(resolved.size()),
                                    FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) fail(path, "cannot follow the symbolic link: " + system_message(::GetLastError()));
    if (length < resolved.size()) return without_long_path_prefix(narrow(resolved.data(), length));
    resolved.resize(length);
  }
}

// The finished temporary file in the target's place; false with the system's error set.
bool put_in_place(const std::wstring& temp, const std::wstring& target, bool replacing) {
  if (!replacing)
    return ::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  {
    // Whether the old file may be moved aside is asked first: a failed
    // ReplaceFileW leaves a file of its own behind under Wine.
    Handle movable(::CreateFileW(target.c_str(), DELETE, kShareAll, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!movable) return false;
  }
  // Unlike a move, it keeps the old file's attributes and security.
  return ::ReplaceFileW(target.c_str(), temp.c_str(), nullptr,
                        REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr, nullptr);
}

}  // namespace

std::string read_regular_file(const std::string& path, std::size_t limit) {
  const Handle file = open_regular_file(path);
  std::string content;
  char buffer[kChunk];
  for (;;) {
    DWORD read = 0;
    if (!::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) fail_last_error(path);
    if (read == 0) break;
    if (content.size() + read > limit) fail(path, "larger than " + std::to_string(limit) + " bytes");
    content.append(buffer, read);
  }
  return content;
}

std::optional<FileIdentity> existing_file_identity(const std::string& path) {
  if (path.empty()) return std::nullopt;
  Handle file(::CreateFileW(widen(path).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file) return std::nullopt;
  return identity_of(file.get());
}

OutputFile OutputFile::prepare(const std::string& path) {
  OutputFile file;
  file.name_ = path;
  if (path == "-") return file;
  check_path_text(path);
  // NUL, PRN, LPT1 and the like name devices in every folder, with any
  // extension, and often cannot be opened to be told apart.
  if (is_windows_device_name(file_name_of(path))) fail(path, "is the name of a device on Windows, not a file");

  // Absolute, so that the replacement names the same file wherever it is made from.
  std::string target = full_path(path);
  const DWORD attributes = ::GetFileAttributesW(widen(target).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
    target = final_path(target);

  // Devices such as NUL answer to any name in any folder; only a handle tells them apart.
  Handle existing(::CreateFileW(widen(target).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (existing) {
    if (const char* reason = not_regular_reason(existing.get())) fail(path, reason);
    // ReplaceFileW refuses a read-only file, even to a user who may write it otherwise.
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
      fail(path, "is read-only");
    Handle writable(::CreateFileW(widen(target).c_str(), GENERIC_WRITE | DELETE, kShareAll, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    if (!writable) fail_last_error(path);
    if (const auto identity = identity_of(existing.get())) file.identity_ = *identity;
    const auto standard_output = identity_of(::GetStdHandle(STD_OUTPUT_HANDLE));
    if (standard_output && *standard_output == file.identity_)
      fail(path, "is where standard output goes already; give - to write there");
  } else if (const DWORD error = ::GetLastError();
             error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
    fail(path, system_message(error));
  } else {
    const std::string dir = directory_of(target);
    const DWORD dir_attributes = ::GetFileAttributesW(widen(dir).c_str());
    if (dir_attributes == INVALID_FILE_ATTRIBUTES) fail_last_error(dir);
    if (!(dir_attributes & FILE_ATTRIBUTE_DIRECTORY)) fail(dir, "is not a directory");
    file.identity_.would_be = folded(target);
  }
  check_replacing_works(path, target);
  file.target_ = target;
  return file;
}

void OutputFile::write(const std::string& content) const {
  if (is_standard_output()) return write_stream(Stream::Output, content);

  const std::wstring wide_target = widen(target_);
  const DWORD existing = ::GetFileAttributesW(wide_target.c_str());
  // ReplaceFileW would put a file in a directory's place (Wine does).
  if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_DIRECTORY))
    fail(name_, "is a directory");
  std::string temp;
  Handle file = create_temporary(target_, temp, false);
  const std::wstring wide_temp = widen(temp);
  bool ok = write_all(file.get(), content) && ::FlushFileBuffers(file.get());
  file.reset();
  ok = ok && put_in_place(wide_temp, wide_target, existing != INVALID_FILE_ATTRIBUTES);
  if (!ok) {
    const DWORD error = ::GetLastError();
    ::DeleteFileW(wide_temp.c_str());
    fail(name_, system_message(error));
  }
}

std::string read_standard_input(std::size_t limit) {
  const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
  if (input == nullptr || input == INVALID_HANDLE_VALUE)
    fail("standard input", system_message(ERROR_INVALID_HANDLE));
  std::string content;
  char buffer[kChunk];
  for (;;) {
    DWORD read = 0;
    if (!::ReadFile(input, buffer, sizeof buffer, &read, nullptr)) {
      const DWORD error = ::GetLastError();
      // A pipe whose writer is done reports it as an error.
      if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) break;
      fail("standard input", system_message(error));
    }
    if (read == 0) break;
    if (content.size() + read > limit)
      fail("standard input", "larger than " + std::to_string(limit) + " bytes");
    content.append(buffer, read);
  }
  return content;
}

void write_stream(Stream stream, const std::string& text) {
  const char* name = stream == Stream::Output ? "standard output" : "standard error";
  const HANDLE handle = ::GetStdHandle(stream == Stream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) fail(name, system_message(ERROR_INVALID_HANDLE));
  DWORD mode = 0;
  const bool ok = ::GetConsoleMode(handle, &mode) ? write_console(handle, text) : write_all(handle, text);
  if (!ok) fail_last_error(name);
}

void guard_standard_streams() {
  static const DWORD kIds[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
  for (int fd = 0; fd <= 2; ++fd) {
    const HANDLE handle = ::GetStdHandle(kIds[fd]);
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) continue;
    // NUL for reading only: a write to it fails, as it would to the missing stream,
    // and the C runtime's descriptor is taken so no file opened later gets it.
    const int held = ::_open("NUL", _O_RDONLY | _O_BINARY | _O_NOINHERIT);
    if (held < 0) continue;
    if (held != fd) {
      ::_dup2(held, fd);
      ::_close(held);
    }
    ::SetStdHandle(kIds[fd], reinterpret_cast<HANDLE>(::_get_osfhandle(fd)));
  }
}

void report_broken_pipes_as_errors() {}  // Windows reports them as failed writes anyway

bool is_terminal(Stream stream) {
  DWORD mode = 0;
  return ::GetConsoleMode(::GetStdHandle(stream == Stream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE),
                          &mode) != 0;
}

}  // namespace callbench
