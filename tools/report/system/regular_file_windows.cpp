#include "system/regular_file_windows.hpp"

#include "core/text.hpp"
#include "system/files.hpp"
#include "system/windows_text.hpp"

namespace callbench {

void check_path_text(const std::string& path) {
  if (path.empty()) throw Error("an empty file name was given");
  if (!is_valid_utf8(path)) throw Error(quote(path) + ": the name is not valid UTF-8");
  if (path.find('\0') != std::string::npos) throw Error(quote(path) + ": the name holds a NUL byte");
}

const char* not_regular_reason(HANDLE file) {
  switch (::GetFileType(file)) {
    case FILE_TYPE_DISK:
      break;
    case FILE_TYPE_CHAR:
      return "is a character device";
    case FILE_TYPE_PIPE:
      return "is a pipe";
    default:
      return "is not a regular file";
  }
  BY_HANDLE_FILE_INFORMATION info = {};
  if (!::GetFileInformationByHandle(file, &info)) return "is not a regular file";
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return "is a directory";
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) return "is a device";
  return nullptr;
}

Handle open_regular_file(const std::string& path) {
  check_path_text(path);
  // Backup semantics open a directory too, so it can be named as one.
  Handle file(::CreateFileW(widen(path).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file) throw Error(path + ": " + system_message(::GetLastError()));
  if (const char* reason = not_regular_reason(file.get())) throw Error(path + ": " + reason);
  return file;
}

}  // namespace callbench
