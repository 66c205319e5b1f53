// The Linux stand-ins for the Windows services the program calls.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "platform/platform.h"

namespace {

void NoteSignal(int) {}

TEST(LinuxPlatformTest, SleepLastsTheWholeTimeDespiteSignals) {
  struct sigaction note = {};
  note.sa_handler = NoteSignal;  // no SA_RESTART: nanosleep returns EINTR
  struct sigaction previous;
  ASSERT_EQ(sigaction(SIGALRM, &note, &previous), 0);
  const itimerval every_10ms = {{0, 10000}, {0, 10000}};
  ASSERT_EQ(setitimer(ITIMER_REAL, &every_10ms, nullptr), 0);

  const auto start = std::chrono::steady_clock::now();
  Sleep(100);
  const auto slept = std::chrono::steady_clock::now() - start;

  const itimerval off = {};
  setitimer(ITIMER_REAL, &off, nullptr);
  sigaction(SIGALRM, &previous, nullptr);
  EXPECT_GE(slept, std::chrono::milliseconds(100));
}

TEST(LinuxPlatformTest, PriorityClassesMapToNiceValues) {
  const int original = getpriority(PRIO_PROCESS, 0);
  Handle self = GetCurrentProcess();
  if (SetPriorityClass(self, kHighPriorityClass)) {
    EXPECT_EQ(getpriority(PRIO_PROCESS, 0), -10);
  } else {
    EXPECT_EQ(getpriority(PRIO_PROCESS, 0), original) << "a failed raise must change nothing";
  }
  EXPECT_TRUE(SetPriorityClass(self, kNormalPriorityClass));
  EXPECT_EQ(getpriority(PRIO_PROCESS, 0), 0);
  EXPECT_FALSE(SetPriorityClass(self, 0x40)) << "classes without a mapping are refused";
  EXPECT_FALSE(SetPriorityClass(reinterpret_cast<Handle>(1234), kNormalPriorityClass));
  setpriority(PRIO_PROCESS, 0, original);
}

TEST(LinuxPlatformTest, WriteFileReportsTheCountWrittenAndSuccess) {
  const struct {
    const char* name;
    bool reader_open;
    std::string bytes;
    uint32_t written;
    bool succeeds;
  } cases[] = {
      {"reader open", true, "Size TheOne:     ", 17, true},
      {"nothing to write", true, "", 0, true},
      {"reader gone: fails instead of killing", false, "x", 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    if (!c.reader_open) close(ends[0]);
    uint32_t written = 12345;
    const int32_t result = WriteFile(reinterpret_cast<Handle>(ends[1]), c.bytes.data(),
                                     static_cast<uint32_t>(c.bytes.size()), &written, nullptr);
    EXPECT_EQ(result != 0, c.succeeds);
    EXPECT_EQ(written, c.written);
    close(ends[1]);
    if (c.reader_open) {
      char back[64] = {};
      EXPECT_EQ(read(ends[0], back, sizeof back), static_cast<ssize_t>(c.written));
      EXPECT_EQ(std::string(back, c.written), c.bytes);
      close(ends[0]);
    }
  }
}

TEST(LinuxPlatformTest, StandardHandlesAreTheStandardDescriptors) {
  EXPECT_EQ(GetStdHandle(kStdInputHandle), reinterpret_cast<Handle>(0));
  EXPECT_EQ(GetStdHandle(kStdOutputHandle), reinterpret_cast<Handle>(1));
  EXPECT_EQ(GetStdHandle(kStdErrorHandle), reinterpret_cast<Handle>(2));
  EXPECT_EQ(GetStdHandle(0), reinterpret_cast<Handle>(-1));
}

TEST(LinuxPlatformTest, MessageBoxWritesCaptionAndTextToStandardError) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBoxA(nullptr, "-4", "Problem with stack", kMessageBoxOk), kMessageBoxResultOk);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Problem with stack: -4\n");
}

}  // namespace
