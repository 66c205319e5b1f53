#pragma once

#include <string>

namespace callbench {

// The shared code speaks UTF-8, the system UTF-16. Invalid UTF-8 becomes U+FFFD.
std::wstring widen(const std::string& utf8);
std::string narrow(const wchar_t* utf16, std::size_t length);
std::string narrow(const std::wstring& utf16);

// The system's text for a Win32 error code, as one line without the final
// period, in the manner of strerror: "The system cannot find the file specified".
std::string system_message(unsigned long error);

}  // namespace callbench
