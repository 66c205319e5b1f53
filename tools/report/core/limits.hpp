#pragma once

#include <cstddef>

namespace callbench {

// How large a report can grow, so that every report file this program writes
// is one it reads back, and memory stays bounded for any file it reads.

// The highest processor number the runs may be pinned to.
inline constexpr int kMaxCpu = 1 << 20;

// Counted runs of one command, and warm-up runs before them.
inline constexpr int kMaxRuns = 50'000;
inline constexpr int kMaxWarmup = 1'000;
// Every run made is either valid or failed, so a series holds at most this
// many of the two together; the reader refuses more.
inline constexpr std::size_t kMaxSeriesRecords = kMaxRuns + kMaxWarmup;

// A failed run's reason is kept printable and cut to this many bytes, so that
// it takes at most twice as many in JSON (where \ and " are escaped).
inline constexpr std::size_t kMaxReasonBytes = 200;
// The most a run or a failed run takes in the JSON file, each on a line of its
// own: a run with every figure at its longest, a failure with the longest reason.
inline constexpr std::size_t kMaxRecordJsonBytes = 512;
// Room for the rest: commands, labels, conditions and the analyses, with a
// command line of 2 MiB (Linux's limit) in which every byte is escaped.
inline constexpr std::size_t kMaxOtherJsonBytes = 16 * 1024 * 1024;

// A report made here holds at most two series of runs (A and B, or new runs
// and a baseline's): the largest file it writes, and so the largest it reads.
inline constexpr std::size_t kMaxReportFile = 2 * kMaxSeriesRecords * kMaxRecordJsonBytes + kMaxOtherJsonBytes;
// A baseline joins the new runs' series, so it may take the room of one series.
inline constexpr std::size_t kMaxBaselineFile = kMaxSeriesRecords * kMaxRecordJsonBytes;
// `compare` keeps every series of every file and adds an analysis to each:
// the files together may take half the room, the analyses the rest.
inline constexpr std::size_t kMaxComparedBytes = kMaxReportFile / 2;
inline constexpr std::size_t kMaxComparedFiles = 1000;
// Report files nest a few levels; the readers refuse deeper nesting.
inline constexpr int kMaxJsonDepth = 64;

}  // namespace callbench
