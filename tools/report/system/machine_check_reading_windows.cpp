#include <windows.h>

#include <cstdio>
#include <exception>
#include <string>

#include "system/machine_check_reading.hpp"
#include "system/processor.hpp"
#include "system/shared_checks.hpp"
#include "system/windows_text.hpp"

namespace callbench {
namespace {

using Status = MachineCheck::Status;
using WineGetVersionFunction = const char*(CDECL*)();
using WineGetHostVersionFunction = void(CDECL*)(const char** system, const char** release);
using PowerGetActiveSchemeFunction = DWORD(WINAPI*)(HKEY, GUID**);
using PowerReadFriendlyNameFunction = DWORD(WINAPI*)(HKEY, const GUID*, const GUID*, const GUID*, UCHAR*,
                                                     DWORD*);

template <typename Function>
Function function_in(HMODULE module, const char* name) {
  if (!module) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

// From the system folder by its full name, never a DLL of the same name
// beside the program.
class SystemLibrary {
 public:
  explicit SystemLibrary(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
      error_ = ::GetLastError();
      return;
    }
    module_ = ::LoadLibraryW((std::wstring(folder, length) + L"\\" + name).c_str());
    if (!module_) error_ = ::GetLastError();
  }
  ~SystemLibrary() {
    if (module_) ::FreeLibrary(module_);
  }
  SystemLibrary(const SystemLibrary&) = delete;
  SystemLibrary& operator=(const SystemLibrary&) = delete;

  HMODULE get() const { return module_; }
  DWORD error() const { return error_; }

 private:
  HMODULE module_ = nullptr;
  DWORD error_ = ERROR_SUCCESS;
};

struct WineVersion {
  std::optional<std::string> version;
  std::string host;  // "Linux 6.1.0-28-amd64"
};

WineVersion wine_version() {
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  WineVersion wine;
  if (const auto get_version = function_in<WineGetVersionFunction>(ntdll, "wine_get_version"))
    if (const char* version = get_version()) wine.version = version;
  if (const auto get_host = function_in<WineGetHostVersionFunction>(ntdll, "wine_get_host_version")) {
    const char* system = nullptr;
    const char* release = nullptr;
    get_host(&system, &release);
    if (system) wine.host = std::string(system) + (release ? std::string(" ") + release : std::string());
  }
  return wine;
}

std::string guid_text(const GUID& guid) {
  char text[40];
  std::snprintf(text, sizeof text, "%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x",
                static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1],
                guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
  return text;
}

MachineCheck unknown_power_scheme(const std::string& why) {
  return unknown_because({"power_scheme", "power plan", {}, Status::Unknown, {}}, why);
}

// powrprof.dll is loaded here, not linked, so a system or Wine without it or
// without the function leaves this one check unknown.
MachineCheck power_scheme(bool under_wine) {
  const SystemLibrary powrprof(L"powrprof.dll");
  if (!powrprof.get())
    return unknown_power_scheme("cannot load powrprof.dll: " + system_message(powrprof.error()));
  const auto get_active = function_in<PowerGetActiveSchemeFunction>(powrprof.get(), "PowerGetActiveScheme");
  if (!get_active) return unknown_power_scheme("powrprof.dll has no PowerGetActiveScheme");
  GUID* active = nullptr;
  if (const DWORD error = get_active(nullptr, &active); error != ERROR_SUCCESS || !active)
    return unknown_power_scheme("PowerGetActiveScheme failed: " + system_message(error));
  const GUID scheme = *active;
  ::LocalFree(active);

  std::string friendly_name;
  if (const auto read_name =
          function_in<PowerReadFriendlyNameFunction>(powrprof.get(), "PowerReadFriendlyName")) {
    wchar_t name[256] = {};
    DWORD size = sizeof name - sizeof name[0];  // leaves room for the final NUL
    if (read_name(nullptr, &scheme, nullptr, nullptr, reinterpret_cast<UCHAR*>(name), &size) == ERROR_SUCCESS)
      friendly_name = narrow(name, ::wcsnlen(name, 255));
  }
  auto check = power_scheme_check(guid_text(scheme), friendly_name);
  // Wine answers with a plan of its own while the Linux host's governor sets the clock.
  if (under_wine) {
    check.value = "unknown: Wine says " +
                  (check.status == Status::Unknown ? check.value.substr(9) : check.value) +
                  ", but the Linux host's governor sets the clock";
    check.status = Status::Unknown;
    check.advice = "check the host with the Linux build of callbench-report";
  }
  return check;
}

int priority_rank(DWORD priority_class) {
  switch (priority_class) {
    case IDLE_PRIORITY_CLASS:
      return 0;
    case BELOW_NORMAL_PRIORITY_CLASS:
      return 1;
    case NORMAL_PRIORITY_CLASS:
      return 2;
    case ABOVE_NORMAL_PRIORITY_CLASS:
      return 3;
    case HIGH_PRIORITY_CLASS:
      return 4;
    case REALTIME_PRIORITY_CLASS:
      return 5;
  }
  return -1;
}

// HIGH_PRIORITY_CLASS needs no privilege; only a job object with a priority
// limit, which the runs' own jobs inherit, keeps the benchmark below it.
Priority windows_priority(bool under_wine) {
  using Raise = Priority::Raise;
  if (under_wine)
    return {Raise::Unknown,
            "under Wine the raise reaches Linux only where wineserver may lower its nice value"};
  BOOL in_job = FALSE;
  if (!::IsProcessInJob(::GetCurrentProcess(), nullptr, &in_job))
    return {Raise::Unknown, "IsProcessInJob failed: " + system_message(::GetLastError())};
  if (!in_job) return {Raise::Effective, "HIGH_PRIORITY_CLASS needs no privilege; no job object limits it"};
  JOBOBJECT_BASIC_LIMIT_INFORMATION limits = {};
  if (!::QueryInformationJobObject(nullptr, JobObjectBasicLimitInformation, &limits, sizeof limits, nullptr))
    return {Raise::Unknown, "in a job object whose limits cannot be read: " + system_message(::GetLastError())};
  if ((limits.LimitFlags & JOB_OBJECT_LIMIT_PRIORITY_CLASS) &&
      priority_rank(limits.PriorityClass) < priority_rank(HIGH_PRIORITY_CLASS))
    return {Raise::NotPermitted, "a job object holds this program and its runs below HIGH_PRIORITY_CLASS"};
  return {Raise::Effective,
          "HIGH_PRIORITY_CLASS needs no privilege; the job object holding this program "
          "does not limit it"};
}

}  // namespace

// Pinning changes nothing Windows shows here.
std::vector<MachineCheck> check_this_machine(std::optional<int>) {
  WineVersion wine;
  try {
    wine = wine_version();
  } catch (const std::exception&) {
  }
  const bool under_wine = wine.version.has_value();
  std::vector<MachineCheck> checks;
  checks.push_back(guarded("power_scheme", "power plan", [&] { return power_scheme(under_wine); }));
  checks.push_back(guarded("priority", "priority raise", [&] {
    return priority_check(windows_priority(under_wine),
                          under_wine ? "check the host with the Linux build of callbench-report"
                                     : "run callbench-report outside the job object that holds it (a service, "
                                       "scheduler or CI runner may start it in one)");
  }));
  checks.push_back(guarded("hypervisor", "hypervisor", [] { return hypervisor_check(read_hypervisor()); }));
  checks.push_back(guarded("wine", "Wine", [&] { return wine_check(wine.version, wine.host); }));
  return checks;
}

}  // namespace callbench
