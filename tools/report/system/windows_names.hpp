#pragma once

#include <string_view>

namespace callbench {

// Whether Windows takes a file name for a device in every folder: CON, PRN,
// AUX, NUL, COM0 to COM9 and LPT0 to LPT9 (with ¹ ² ³ too), in any case, with
// any extension and trailing spaces or dots ("lpt1.json", "nul .txt").
// Plain logic, built everywhere so that it is tested everywhere.
bool is_windows_device_name(std::string_view file_name);

}  // namespace callbench
