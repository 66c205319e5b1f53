#pragma once

#include <string>

#include "system/windows_handle.hpp"

namespace callbench {

// Throws Error for a name that cannot be a path: empty, not UTF-8, or holding NUL.
void check_path_text(const std::string& path);

// Why an open handle is not a regular disk file ("is a directory", "is a
// character device", ...), or null when it is one.
const char* not_regular_reason(HANDLE file);

// The file opened for reading, once it is known to be a regular disk file.
// Devices such as NUL or CON and pipes are refused without a read, so nothing
// blocks. Throws Error ("<path>: <reason>").
Handle open_regular_file(const std::string& path);

}  // namespace callbench
