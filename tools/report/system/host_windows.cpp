#include <windows.h>

#include <cstdio>
#include <stdexcept>

#include "system/host.hpp"
#include "system/windows_text.hpp"

namespace callbench {
namespace {

using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
using WineGetVersionFunction = const char*(CDECL*)();

template <typename Function>
Function ntdll_function(const char* name) {
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  if (!ntdll) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(ntdll, name)));
}

std::string mask_list(DWORD_PTR mask) {
  std::string list;
  for (unsigned cpu = 0; cpu < 8 * sizeof mask; ++cpu) {
    if (!(mask >> cpu & 1)) continue;
    if (!list.empty()) list += ", ";
    list += std::to_string(cpu);
  }
  return list;
}

}  // namespace

std::string utc_now() {
  SYSTEMTIME now = {};
  ::GetSystemTime(&now);
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02uZ", now.wYear, now.wMonth, now.wDay, now.wHour,
                now.wMinute, now.wSecond);
  return text;
}

std::optional<std::string> host_name() {
  DWORD size = 0;
  ::GetComputerNameExW(ComputerNameDnsHostname, nullptr, &size);
  if (size == 0) return std::nullopt;
  std::wstring name(size, L'\0');
  if (!::GetComputerNameExW(ComputerNameDnsHostname, name.data(), &size) || size == 0) return std::nullopt;
  return narrow(name.data(), size);
}

std::optional<std::string> os_description() {
  // GetVersionEx lies to programs without a manifest; RtlGetVersion does not.
  const auto get_version = ntdll_function<RtlGetVersionFunction>("RtlGetVersion");
  if (!get_version) return std::nullopt;
  OSVERSIONINFOW version = {};
  version.dwOSVersionInfoSize = sizeof version;
  if (get_version(&version) != 0) return std::nullopt;
  const std::string windows = "Windows " + std::to_string(version.dwMajorVersion) + "." +
                              std::to_string(version.dwMinorVersion) + "." +
                              std::to_string(version.dwBuildNumber);
  if (const auto wine_version = ntdll_function<WineGetVersionFunction>("wine_get_version"))
    return "Wine " + std::string(wine_version()) + " (" + windows + ")";
  return windows;
}

std::optional<LoadAverage> load_average() {
  return std::nullopt;
}

Priority priority_raise() {
  return {Priority::Raise::Effective, "HIGH_PRIORITY_CLASS needs no privilege on Windows"};
}

int processor_count() {
  SYSTEM_INFO info = {};
  ::GetSystemInfo(&info);
  return info.dwNumberOfProcessors > 0 ? static_cast<int>(info.dwNumberOfProcessors) : 1;
}

void check_processor(int cpu) {
  DWORD_PTR allowed = 0, present = 0;
  if (!::GetProcessAffinityMask(::GetCurrentProcess(), &allowed, &present))
    throw std::runtime_error("cannot pin to processor " + std::to_string(cpu) + ": " +
                             system_message(::GetLastError()));
  const int bits = static_cast<int>(8 * sizeof(DWORD_PTR));
  if (cpu < 0 || cpu >= bits || !(present >> cpu & 1))
    throw std::runtime_error("processor " + std::to_string(cpu) + " does not exist (this machine has " +
                             std::to_string(processor_count()) + ", numbered from 0)");
  if (!(allowed >> cpu & 1))
    throw std::runtime_error("processor " + std::to_string(cpu) + " is not among those this process may use (" +
                             mask_list(allowed) + ")");
}

void pin_to_processor(int cpu) {
  check_processor(cpu);
  // Processes started from now on inherit the mask.
  if (!::SetProcessAffinityMask(::GetCurrentProcess(), DWORD_PTR{1} << cpu))
    throw std::runtime_error("cannot pin to processor " + std::to_string(cpu) + ": " +
                             system_message(::GetLastError()));
}

}  // namespace callbench
