// Stands in for the benchmark in the tests, on Linux and on Windows; argv[1]
// picks the behaviour. Output goes out in binary, exactly as written here.
#ifdef _WIN32
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>
#else
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <array>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "benchmark_output.h"

namespace {

using callbench::benchmark_output::output_text;
using Sweep = std::array<int, 4>;

bool put(std::FILE* stream, const std::string& text) {
  return std::fwrite(text.data(), 1, text.size(), stream) == text.size() && std::fflush(stream) == 0;
}

// Three sweeps from base, each step above the one before.
std::vector<Sweep> sweeps(const Sweep& base, int step) {
  std::vector<Sweep> made(3, base);
  for (int sweep = 0; sweep < 3; ++sweep)
    for (int& figure : made[sweep]) figure += step * sweep;
  return made;
}

const Sweep kSteady = {1000, 1100, 900, 1500};
std::string good_output() {
  return output_text(sweeps(kSteady, 10));
}

// Counts calls in a file so that runs after the first can differ.
int next_call(const char* counter) {
  int calls = 0;
  std::ifstream(counter) >> calls;
  std::ofstream(counter) << calls + 1;
  return calls;
}

// Sweeps whose figures all move with a drift shared by the four procedures,
// each procedure scaled by its factor (in thousandths) and given a small
// jitter of its own that averages out: paired ratios come out at the factors.
std::string drifting(int call, const Sweep& per_mille, int jitter) {
  std::vector<Sweep> made(3);
  for (int sweep = 0; sweep < 3; ++sweep) {
    const int drift = 1000 * (1 + (call + sweep) % 4);
    for (int proc = 0; proc < 4; ++proc) {
      const int wobble = jitter * (((call * 7 + sweep * 3 + proc * 2) % 5) - 2);
      made[sweep][proc] = drift * per_mille[proc] / 1000 + wobble;
    }
  }
  return output_text(made);
}

// A copy of this program that sleeps for a minute holding our standard
// streams; its process id, written to the file.
void leave_sleeper(const char* pid_file) {
#ifdef _WIN32
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring command = L"\"" + std::wstring(self) + L"\" sleep";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION created = {};
  if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                     &created)) {
    CloseHandle(created.hThread);
    CloseHandle(created.hProcess);
  }
  std::ofstream(pid_file) << created.dwProcessId;
#else
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    sleep(60);
    _exit(0);
  }
  std::ofstream(pid_file) << pid;
#endif
}

void hang() {
  for (;;) {
#ifdef _WIN32
    Sleep(INFINITE);
#else
    pause();
#endif
  }
}

#ifdef _WIN32
std::string utf8(const wchar_t* wide) {
  const int length = static_cast<int>(std::wcslen(wide));
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
  std::string text(bytes, '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, length, text.data(), bytes, nullptr, nullptr);
  return text;
}
#endif

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  // Text mode would turn every \n into \r\n.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
#endif
  const std::string mode = argc > 1 ? argv[1] : "good";
  if (mode == "good") {
    put(stdout, good_output());
  } else if (mode == "even" && argc > 2) {
    // Four procedures of the same cost.
    put(stdout, drifting(next_call(argv[2]), {1000, 1000, 1000, 1000}, 2));
  } else if (mode == "factor" && argc > 3) {
    // TestNoFrameA costs argv[3] thousandths of TheOne; the others cost what TheOne does. The
    // jitter of a few millicycles gives the sweeps the scatter real ones have: runs that agree
    // exactly would show no precision at all.
    put(stdout, drifting(next_call(argv[2]), {std::atoi(argv[3]), 1000, 1000, 1000}, 2));
  } else if (mode == "erratic" && argc > 2) {
    // TheOne's figures swing so far that no interval ever gets narrow.
    const int call = next_call(argv[2]);
    put(stdout, drifting(call, {1000, 1000, call % 2 ? 400 : 2500, 1000}, 0));
  } else if (mode == "log" && argc > 3) {
    // Records which command ran, in order, then runs well.
    std::ofstream(argv[2], std::ios::app) << argv[3] << '\n';
    put(stdout, good_output());
  } else if (mode == "noisy") {
    put(stdout, output_text(sweeps(kSteady, 400)));
  } else if (mode == "zero") {
    put(stdout, output_text(sweeps({1000, 1100, 0, 1500}, 0)));
  } else if (mode == "sizes" && argc > 2) {
    put(stdout, output_text(sweeps(kSteady, 10), Sweep{next_call(argv[2]) == 0 ? 7 : 8, 15, 13, 16}));
  } else if (mode == "flaky" && argc > 2) {
    // Every second call fails, so some runs are valid and some are not.
    if (next_call(argv[2]) % 2 == 1) {
      put(stderr, "stand-in: flaking\n");
      return 4;
    }
    put(stdout, good_output());
  } else if (mode == "exit") {
    put(stderr, "stand-in: failing on purpose\n");
    return 3;
  } else if (mode == "crash") {
#ifndef _WIN32
    const rlimit no_core = {0, 0};
    setrlimit(RLIMIT_CORE, &no_core);
#endif
    put(stdout, "1000" + callbench::benchmark_output::figure_label(0));
    std::raise(SIGSEGV);
  } else if (mode == "hang") {
    hang();
  } else if (mode == "sleep") {
#ifdef _WIN32
    Sleep(60 * 1000);
#else
    sleep(60);
#endif
  } else if (mode == "garbage") {
    put(stdout, "hello\x1b world\n");
  } else if (mode == "endless" || mode == "roar") {
    const std::string block(4096, 'y');
    while (put(mode == "endless" ? stdout : stderr, block)) {
    }
  } else if (mode == "loud") {
    // Megabytes of standard error ending in two long lines, then a valid run.
    std::string noise;
    for (int i = 0; i < 200000; ++i) noise += "line " + std::to_string(i) + " of noise\n";
    const std::string line(1000, 'e');
    put(stderr, noise + line + "\n" + line + "\n");
    put(stdout, good_output());
    return 5;
  } else if ((mode == "leave" || mode == "leave-and-hang") && argc > 2) {
    // A child outlives the run, holding its standard streams open.
    leave_sleeper(argv[2]);
    if (mode == "leave-and-hang") hang();
    put(stdout, good_output());
#ifndef _WIN32
  } else if (mode == "deaf" && argc > 2) {
    // Ignores the polite signals and leaves a child behind that holds the pipes.
    std::signal(SIGTERM, SIG_IGN);
    std::signal(SIGINT, SIG_IGN);
    std::signal(SIGHUP, SIG_IGN);
    leave_sleeper(argv[2]);
    hang();
  } else if (mode == "good-then-deaf" && argc > 3) {
    if (next_call(argv[2]) == 0) {
      put(stdout, good_output());
      return 0;
    }
    std::signal(SIGTERM, SIG_IGN);
    leave_sleeper(argv[3]);
    hang();
#else
  } else if (mode == "echo") {
    // Each argument after the mode, NUL-terminated: as the shell splits the
    // command line on standard output, as the C runtime does on standard error.
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::string shell, runtime;
    for (int i = 2; i < count; ++i) shell += utf8(wide[i]) + '\0';
    for (int i = 2; i < argc; ++i) runtime += std::string(argv[i]) + '\0';
    put(stdout, shell);
    put(stderr, runtime);
#endif
  } else {
    put(stderr, "stand-in: unknown mode " + mode + "\n");
    return 64;
  }
  return 0;
}
