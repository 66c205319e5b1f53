// Stands in for the benchmark in the end-to-end tests; argv[1] picks the behaviour.
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace {

const char* const kNames[] = {"TestNoFrameA", "TestNoFrameB", "TheOne", "TestWithFrame"};
const char* const kHeadings[] = {"Size no frame A: ", "Size no frame B: ", "Size TheOne:     ",
                                 "Size with frame: "};

void print_sweeps(const int base[4], int step) {
  for (int sweep = 0; sweep < 3; ++sweep) {
    for (int proc = 0; proc < 4; ++proc)
      std::printf("%d\tmillicycles for %s\r\n", base[proc] + step * sweep, kNames[proc]);
    std::printf("\n");
  }
}

void print_sizes(int first) {
  const int sizes[] = {first, 15, 13, 16};
  for (int proc = 0; proc < 4; ++proc) std::printf("%s\t%d\r\n", kHeadings[proc], sizes[proc]);
}

// Counts calls in a file so that runs after the first can differ.
int next_call(const char* counter) {
  int calls = 0;
  std::ifstream(counter) >> calls;
  std::ofstream(counter) << calls + 1;
  return calls;
}

// A child that sleeps for a minute with our standard streams; its pid.
int fork_sleeper() {
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    sleep(60);
    _exit(0);
  }
  return pid;
}

// Sweeps whose figures all move with a drift shared by the four procedures,
// each procedure scaled by its factor (in thousandths) and given a small
// jitter of its own that averages out: paired ratios come out at the factors.
void print_drifting(int call, const int per_mille[4], int jitter) {
  for (int sweep = 0; sweep < 3; ++sweep) {
    const int drift = 1000 * (1 + (call + sweep) % 4);
    for (int proc = 0; proc < 4; ++proc) {
      const int wobble = jitter * (((call * 7 + sweep * 3 + proc * 2) % 5) - 2);
      std::printf("%d\tmillicycles for %s\r\n", drift * per_mille[proc] / 1000 + wobble, kNames[proc]);
    }
    std::printf("\n");
  }
  print_sizes(7);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "good";
  const int steady[] = {1000, 1100, 900, 1500};
  if (mode == "good") {
    print_sweeps(steady, 10);
    print_sizes(7);
  } else if (mode == "even" && argc > 2) {
    // Four procedures of the same cost.
    const int same[] = {1000, 1000, 1000, 1000};
    print_drifting(next_call(argv[2]), same, 2);
  } else if (mode == "factor" && argc > 3) {
    // TestNoFrameA costs argv[3] thousandths of TheOne; the others cost what TheOne does.
    const int factors[] = {std::atoi(argv[3]), 1000, 1000, 1000};
    print_drifting(next_call(argv[2]), factors, 0);
  } else if (mode == "erratic" && argc > 2) {
    // TheOne's figures swing so far that no interval ever gets narrow.
    const int call = next_call(argv[2]);
    const int swings[] = {1000, 1000, call % 2 ? 400 : 2500, 1000};
    print_drifting(call, swings, 0);
  } else if (mode == "log" && argc > 3) {
    // Records which command ran, in order, then runs well.
    std::ofstream(argv[2], std::ios::app) << argv[3] << '\n';
    print_sweeps(steady, 10);
    print_sizes(7);
  } else if (mode == "noisy") {
    print_sweeps(steady, 400);
    print_sizes(7);
  } else if (mode == "zero") {
    const int zero[] = {1000, 1100, 0, 1500};
    print_sweeps(zero, 0);
    print_sizes(7);
  } else if (mode == "sizes" && argc > 2) {
    print_sweeps(steady, 10);
    print_sizes(next_call(argv[2]) == 0 ? 7 : 8);
  } else if (mode == "flaky" && argc > 2) {
    // Every second call fails, so some runs are valid and some are not.
    if (next_call(argv[2]) % 2 == 1) {
      std::fprintf(stderr, "stand-in: flaking\n");
      return 4;
    }
    print_sweeps(steady, 10);
    print_sizes(7);
  } else if (mode == "exit") {
    std::fprintf(stderr, "stand-in: failing on purpose\n");
    return 3;
  } else if (mode == "crash") {
    const rlimit no_core = {0, 0};
    setrlimit(RLIMIT_CORE, &no_core);
    std::printf("1000\tmillicycles for TestNoFrameA\r\n");
    std::fflush(stdout);
    std::raise(SIGSEGV);
  } else if (mode == "hang") {
    for (;;) pause();
  } else if (mode == "garbage") {
    std::printf("hello\x1b world\n");
  } else if (mode == "endless") {
    for (;;) std::fputs("y\n", stdout);
  } else if (mode == "loud") {
    // Megabytes of standard error ending in two long lines, then a valid run.
    for (int i = 0; i < 200000; ++i) std::fprintf(stderr, "line %d of noise\n", i);
    const std::string line(1000, 'e');
    std::fprintf(stderr, "%s\n%s\n", line.c_str(), line.c_str());
    print_sweeps(steady, 10);
    print_sizes(7);
    return 5;
  } else if (mode == "deaf" && argc > 2) {
    // Ignores the polite signals and leaves a child behind that holds the pipes.
    std::signal(SIGTERM, SIG_IGN);
    std::signal(SIGINT, SIG_IGN);
    std::signal(SIGHUP, SIG_IGN);
    std::ofstream(argv[2]) << fork_sleeper();
    for (;;) pause();
  } else if (mode == "leave" && argc > 2) {
    // A valid run whose child outlives it, holding standard output open.
    std::ofstream(argv[2]) << fork_sleeper();
    print_sweeps(steady, 10);
    print_sizes(7);
  } else if (mode == "good-then-deaf" && argc > 3) {
    if (next_call(argv[2]) == 0) {
      print_sweeps(steady, 10);
      print_sizes(7);
      return 0;
    }
    std::signal(SIGTERM, SIG_IGN);
    std::ofstream(argv[3]) << fork_sleeper();
    for (;;) pause();
  } else {
    std::fprintf(stderr, "stand-in: unknown mode %s\n", mode.c_str());
    return 64;
  }
  return 0;
}
