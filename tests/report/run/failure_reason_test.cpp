// Why a finished run does not count, and the end of its standard error as shown.
#include <gtest/gtest.h>

#include <cerrno>

#include "run/failure_reason.hpp"

namespace callbench {
namespace {

TEST(FailureReason, NamesHowTheRunEnded) {
  using Outcome = ProcessResult::Outcome;
  const struct {
    Outcome outcome;
    int code;
    std::string reason;  // empty: the run counts
  } cases[] = {
      {Outcome::Exited, 0, ""},
      {Outcome::Exited, 2, "exited with status 2"},
      {Outcome::Signalled, 11, "killed by signal 11 (Segmentation fault)"},
      {Outcome::TimedOut, 0, "still running after the timeout of 1.5 s; killed"},
      {Outcome::OutputTooLarge, 0, "output larger than 65536 bytes; killed"},
      {Outcome::Interrupted, 0, "interrupted; killed"},
      {Outcome::NotStarted, ENOENT, "cannot start ./callbench: No such file or directory"},
  };
  ProcessLimits limits;
  limits.timeout_seconds = 1.5;
  for (const auto& c : cases) {
    ProcessResult result;
    result.outcome = c.outcome;
    result.code = c.code;
    EXPECT_EQ(failure_reason(result, "./callbench", limits), c.reason);
  }
}

TEST(ErrorLines, TheLastFewLinesEscapedAndCut) {
  const std::string long_line(kErrorLineLength + 5, 'e');
  const struct {
    std::string tail;
    std::size_t dropped;
    std::vector<std::string> shown;
  } cases[] = {
      {"one\ntwo\n", 0, {"one", "two"}},
      // A cut tail starts inside a line, which is left out.
      {"art of a line\nwhole\n", 10, {"(earlier output left out)", "whole"}},
      {"1\n2\n3\n4\n5\n6\n", 0, {"(earlier output left out)", "2", "3", "4", "5", "6"}},
      {"\x1b]0;title\x07\n" + long_line + "\n",
       0,
       {"\\x1b]0;title\\x07", std::string(kErrorLineLength, 'e') + " ..."}},
  };
  for (const auto& c : cases) EXPECT_EQ(error_lines(c.tail, c.dropped), c.shown) << c.tail;
}

}  // namespace
}  // namespace callbench
