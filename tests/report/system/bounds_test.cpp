// The bounds on what is read from files and runs hold at exactly their limit
// and one byte past it; a pipe is read only as far as it held; Windows device
// names are known in every spelling.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "core/error.hpp"
#include "system/bounded_capture.hpp"
#include "system/files.hpp"
#include "system/posix_fd.hpp"
#include "system/windows_names.hpp"

namespace callbench {
namespace {

TEST(Bounds, FilesAndCapturesHoldExactlyTheirLimit) {
  const auto file = std::filesystem::temp_directory_path() / ("callbench-bounds-" + std::to_string(::getpid()));
  const struct {
    std::size_t bytes, limit;
    bool fits;
  } cases[] = {{10, 10, true}, {11, 10, false},      {0, 0, true},
               {1, 0, false},  {70000, 70000, true}, {70001, 70000, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.bytes) + " bytes, limit " + std::to_string(c.limit));
    std::ofstream(file, std::ios::binary) << std::string(c.bytes, 'x');
    if (c.fits) {
      EXPECT_EQ(read_regular_file(file.string(), c.limit).size(), c.bytes);
    } else {
      EXPECT_THROW(read_regular_file(file.string(), c.limit), Error);
    }
    // Offered whole and a byte at a time.
    for (const std::size_t chunk : {c.bytes, std::size_t{1}}) {
      BoundedCapture capture(c.limit);
      const std::string bytes(c.bytes, 'x');
      for (std::size_t at = 0; at < bytes.size(); at += chunk)
        capture.append(bytes.data() + at, std::min(chunk, bytes.size() - at));
      EXPECT_EQ(capture.overflowed(), !c.fits) << "in chunks of " << chunk;
      EXPECT_EQ(capture.take().size(), std::min(c.bytes, c.limit));
    }
  }
  std::filesystem::remove(file);
}

// Adds a byte to the pipe for every chunk taken, as a writer that keeps up would.
struct KeepingUp {
  int pipe_in;
  std::size_t taken = 0;
  int calls = 0;
  void append(const char*, std::size_t count) {
    taken += count;
    if (++calls < 10000) (void)!::write(pipe_in, "y", 1);
  }
};

TEST(Bounds, APipeIsReadOnlyAsFarAsItHeld) {
  int ends[2];
  ASSERT_EQ(::pipe2(ends, O_NONBLOCK), 0);
  Fd in(ends[0]), out(ends[1]);
  for (const std::size_t held : {std::size_t{0}, std::size_t{1}, std::size_t{40000}}) {
    ASSERT_EQ(::write(out.get(), std::string(held, 'x').data(), held), static_cast<ssize_t>(held));
    KeepingUp sink{out.get()};
    EXPECT_EQ(read_waiting(in.get(), sink), held);
    EXPECT_EQ(sink.taken, held);
    KeepingUp rest{-1};
    read_waiting(in.get(), rest);  // what the sink added
  }
}

TEST(Bounds, WindowsDeviceNamesAreKnownInEverySpelling) {
  const struct {
    const char* name;
    bool device;
  } cases[] = {
      {"PRN", true},        {"lpt1.json", true},   {"COM9", true},        {"nul .txt", true},
      {"Aux.tar.gz", true}, {"con", true},         {"LPT\xc2\xb9", true}, {"COM0", true},
      {"LPT10", false},     {"COM", false},        {"prn1", false},       {"report.json", false},
      {"xcon", false},      {"com1x.json", false}, {"", false},           {".con", false},
  };
  for (const auto& c : cases) EXPECT_EQ(is_windows_device_name(c.name), c.device) << c.name;
}

}  // namespace
}  // namespace callbench
