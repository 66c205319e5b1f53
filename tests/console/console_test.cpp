// The console routines: decimal formatting, word-at-a-time length, and
// writing to whatever standard output currently is.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <random>

#include "console/console.h"
#include "console/stdout_capture.h"
#include "harness/checked_call.h"

namespace {

constexpr unsigned char kUntouched = 0xAA;

// Formats into a buffer pre-filled with a marker, so stray writes show.
std::string Format(int32_t value, size_t* bytes_touched = nullptr) {
  char buffer[32];
  std::memset(buffer, kUntouched, sizeof buffer);
  FormatSigned(value, buffer);
  const char* nul = static_cast<const char*>(std::memchr(buffer, '\0', sizeof buffer));
  if (nul == nullptr) return "<no NUL>";
  if (bytes_touched != nullptr) {
    *bytes_touched = sizeof buffer;
    while (*bytes_touched > 0 && static_cast<unsigned char>(buffer[*bytes_touched - 1]) == kUntouched)
      --*bytes_touched;
  }
  return std::string(buffer, static_cast<size_t>(nul - buffer));
}

TEST(FormatSignedTest, EdgeValuesAndNothingPastTheNul) {
  const struct {
    int32_t value;
    const char* text;
  } cases[] = {
      {0, "0"},
      {7, "7"},
      {10, "10"},
      {-1, "-1"},
      {-4, "-4"},
      {INT32_MAX, "2147483647"},
      {INT32_MIN, "-2147483648"},
      {1000000000, "1000000000"},
      {-999999999, "-999999999"},
  };
  for (const auto& c : cases) {
    size_t touched = 0;
    EXPECT_EQ(Format(c.value, &touched), c.text);
    EXPECT_EQ(touched, std::strlen(c.text) + 1) << "bytes written for " << c.text;
  }
}

TEST(FormatSignedTest, AgreesWithPrintfOnVariedValues) {
  std::mt19937 random(20261208);
  for (int i = 0; i < 20000; ++i) {
    // Spread over all magnitudes, not just the large ones a uniform draw favours.
    const int shift = static_cast<int>(random() % 32);
    const int32_t value = static_cast<int32_t>(random()) >> shift;
    char expected[16];
    std::snprintf(expected, sizeof expected, "%ld", static_cast<long>(value));
    ASSERT_EQ(Format(value), expected);
  }
}

TEST(TextLengthTest, ExactAtEveryAlignmentWhateverFollowsTheNul) {
  for (unsigned char text_byte : {0x78, 0x01, 0x80, 0xFF}) {  // 0x78 is x
    for (unsigned char after : {0x01, 0x80, 0xFF}) {
      for (size_t align = 0; align < 8; ++align) {
        for (uint32_t length = 0; length <= 9; ++length) {
          alignas(16) unsigned char buffer[32];
          std::memset(buffer, after, sizeof buffer);
          std::memset(buffer + align, text_byte, length);
          buffer[align + length] = '\0';
          EXPECT_EQ(TextLength(reinterpret_cast<const char*>(buffer + align)), length)
              << "align " << align << " text byte " << int(text_byte) << " after " << int(after);
        }
      }
    }
  }
}

TEST(TextLengthTest, LongTextsSpanManyPasses) {
  std::string text(1000, 'y');
  text.append(4, '\0');
  for (uint32_t length : {16u, 17u, 63u, 64u, 65u, 999u}) {
    text[length] = '\0';
    EXPECT_EQ(TextLength(text.c_str()), length);
    text[length] = 'y';
  }
}

TEST(PrintTextTest, WritesTheTextAndReturnsItsLength) {
  for (const char* text : {"Size no frame A: ", "\t", "\r\n", "\tmillicycles for TheOne\r\n\n", ""}) {
    std::string padded(text);
    padded.append(4, '\0');
    StdoutCapture capture;
    const uint32_t written = PrintText(padded.c_str());
    EXPECT_EQ(capture.Finish(), text);
    EXPECT_EQ(written, std::strlen(text));
  }
}

TEST(PrintTextTest, FailedWriteReturnsZero) {
  BrokenStdout broken;
  EXPECT_EQ(PrintText("lost\0\0\0"), 0u);
}

// Called as the frameless driver calls them: stdcall at any stack alignment,
// with EBX, ESI, EDI and EBP to be kept.
TEST(ConsoleConventionTest, RoutinesReleaseArgumentsAndKeepRegisters) {
  char buffer[16] = {};
  const char text[] = "four\0\0\0";
  for (uint32_t skew : {0u, 4u, 8u, 12u}) {
    CallObservation call =
        ObserveCall(reinterpret_cast<const void*>(&FormatSigned),
                    {static_cast<uint32_t>(-2147483647 - 1), reinterpret_cast<uint32_t>(buffer)}, skew);
    EXPECT_EQ(ConventionFaults(call, 2, ArgumentRelease::kCallee), "") << "skew " << skew;
    EXPECT_STREQ(buffer, "-2147483648");

    call = ObserveCall(reinterpret_cast<const void*>(&TextLength), {reinterpret_cast<uint32_t>(text)}, skew);
    EXPECT_EQ(ConventionFaults(call, 1, ArgumentRelease::kCallee), "") << "skew " << skew;
    EXPECT_EQ(call.eax, 4u);

    StdoutCapture capture;
    call = ObserveCall(reinterpret_cast<const void*>(&PrintText), {reinterpret_cast<uint32_t>(text)}, skew);
    EXPECT_EQ(capture.Finish(), "four");
    EXPECT_EQ(ConventionFaults(call, 1, ArgumentRelease::kCallee), "") << "skew " << skew;
    EXPECT_EQ(call.eax, 4u);
  }
}

}  // namespace
