// Stands in for the benchmark in the Windows tests; argv[1] picks the behaviour.
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

namespace {

const char* const kNames[] = {"TestNoFrameA", "TestNoFrameB", "TheOne", "TestWithFrame"};
const char* const kHeadings[] = {"Size no frame A: ", "Size no frame B: ", "Size TheOne:     ",
                                 "Size with frame: "};

// Straight to the handle: the C runtime would turn \n into \r\n.
bool put(DWORD stream, const std::string& text) {
  DWORD written = 0;
  return WriteFile(GetStdHandle(stream), text.data(), static_cast<DWORD>(text.size()), &written,
                   nullptr) != 0;
}

std::string good_output() {
  std::string text;
  for (int sweep = 0; sweep < 3; ++sweep, text += "\n")
    for (int proc = 0; proc < 4; ++proc)
      text += std::to_string(1000 + 100 * proc + 10 * sweep) + "\tmillicycles for " + kNames[proc] + "\r\n";
  const int sizes[] = {7, 15, 13, 16};
  for (int proc = 0; proc < 4; ++proc)
    text += std::string(kHeadings[proc]) + "\t" + std::to_string(sizes[proc]) + "\r\n";
  return text;
}

std::string utf8(const wchar_t* wide) {
  const int length = static_cast<int>(std::wcslen(wide));
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
  std::string text(bytes, '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, length, text.data(), bytes, nullptr, nullptr);
  return text;
}

// A copy of this program that sleeps, sharing our standard handles; its id.
DWORD start_sleeper() {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring command = L"\"" + std::wstring(self) + L"\" sleep";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION created = {};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                      &created))
    return 0;
  CloseHandle(created.hThread);
  CloseHandle(created.hProcess);
  return created.dwProcessId;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "good";
  if (mode == "good") {
    put(STD_OUTPUT_HANDLE, good_output());
  } else if (mode == "exit") {
    put(STD_ERROR_HANDLE, "stand-in: failing on purpose\n");
    return 3;
  } else if ((mode == "hang" || mode == "leave") && argc > 2) {
    // Leaves a child of its own, which holds the pipes; then hangs, or
    // ends as a valid run.
    const std::string id = std::to_string(start_sleeper());
    HANDLE file = CreateFileA(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, id.data(), static_cast<DWORD>(id.size()), &written, nullptr);
    CloseHandle(file);
    if (mode == "hang") Sleep(INFINITE);
    put(STD_OUTPUT_HANDLE, good_output());
  } else if (mode == "sleep") {
    Sleep(60 * 1000);
  } else if (mode == "endless" || mode == "roar") {
    const DWORD stream = mode == "endless" ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE;
    const std::string block(4096, 'y');
    while (put(stream, block)) {
    }
  } else if (mode == "echo") {
    // Each argument after the mode, NUL-terminated: as the shell splits the
    // command line on standard output, as the C runtime does on standard error.
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::string shell, runtime;
    for (int i = 2; i < count; ++i) shell += utf8(wide[i]) + '\0';
    for (int i = 2; i < argc; ++i) runtime += std::string(argv[i]) + '\0';
    put(STD_OUTPUT_HANDLE, shell);
    put(STD_ERROR_HANDLE, runtime);
  } else {
    put(STD_ERROR_HANDLE, "stand-in: unknown mode " + mode + "\n");
    return 64;
  }
  return 0;
}
