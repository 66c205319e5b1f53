// callbench-report against paths that are not what they seem and outputs that
// fail: it must end with a clear message, and never lose the runs that finished.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include <nlohmann/json.hpp>

#include "core/limits.hpp"
#include "tool_test.h"

namespace callbench {
namespace {

namespace fs = std::filesystem;

class Hostile : public ToolTest {
 protected:
  Ended run(const std::vector<std::string>& args, Destination out = Destination::File,
            const std::string& out_path = "") const {
    return report(args, out, out_path);
  }

  // Files the report left in the test's directory.
  std::vector<std::string> leftovers() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
    return names;
  }
};

TEST_F(Hostile, BadPathsAndValuesAreRefusedBeforeAnyRun) {
  ::mkfifo(path("fifo").c_str(), 0600);
  // A null device of the test's own: were it replaced, /dev/null would be lost.
  const bool have_device = ::mknod(path("null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
  fs::create_directory(path("dir"));
  fs::create_symlink(path("loop"), path("loop"));
  std::ofstream(path("huge.json")) << "";
  fs::resize_file(path("huge.json"), kMaxBaselineFile + 1);
  const std::string too_long = path(std::string(300, 'n'));
  const std::string not_utf8 = path("bad\xff.json");
  struct {
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {{"--json", path("fifo")}, path("fifo") + ": is a FIFO"},
      {{"--json", have_device ? path("null") : path("fifo")},
       have_device ? path("null") + ": is a character device" : "is a FIFO"},
      {{"--json", path("dir")}, path("dir") + ": is a directory"},
      {{"--json", path("loop")}, "cannot follow the symbolic link: Too many levels of symbolic links"},
      {{"--json", too_long}, "File name too long"},
      {{"--json", "/proc/report.json"}, "/proc: cannot create a file here"},
      {{"--json", path("missing/report.json")}, path("missing") + ": No such file or directory"},
      {{"--json", not_utf8}, "the name is not valid UTF-8"},
      {{"--json", ""}, "--json: an empty value is not allowed"},
      {{"--baseline", ""}, "--baseline: an empty value is not allowed"},
      {{"--baseline", path("fifo")}, "baseline " + path("fifo") + ": is a FIFO"},
      {{"--baseline", "/dev/zero"}, "is a character device"},
      {{"--baseline", path("dir")}, "is a directory"},
      {{"--baseline", "/proc/self/mem"}, "/proc/self/mem: Input/output error"},
      {{"--baseline", path("huge.json")}, "larger than " + std::to_string(kMaxBaselineFile) + " bytes"},
      {{"--baseline", path("loop")}, "Too many levels of symbolic links"},
      {{"--runs", "abc"}, "--runs: \"abc\" is not a whole number"},
      {{"--runs", "0x10"}, "--runs: \"0x10\" is not a whole number"},
      {{"--runs", "0"}, "--runs: \"0\" is not in the range 1 to 50000"},
      {{"--timeout", "nan"}, "--timeout: \"nan\" is not a decimal number"},
      {{"--timeout", "1e3"}, "--timeout: \"1e3\" is not a decimal number"},
      {{"--noise-threshold", ""}, "--noise-threshold: \"\" is not a decimal number"},
  };
  for (const auto& c : cases) {
    auto args = c.args;
    for (const char* rest : {"--", CALLBENCH_STANDIN, "sizes"}) args.push_back(rest);
    args.push_back(path("ran"));
    const auto ended = run(args);
    EXPECT_EQ(ended.status, 2) << c.err;
    EXPECT_TRUE(contains(ended.err, c.err)) << ended.err;
    EXPECT_EQ(std::count(ended.err.begin(), ended.err.end(), '\n'), 1) << "one line: " << ended.err;
    EXPECT_FALSE(fs::exists(path("ran"))) << "ran despite " << c.err;
  }
}

TEST_F(Hostile, JsonReplacesTheRealTargetAtomicallyAndKeepsItsMode) {
  const auto target = path("target.json");
  std::ofstream(target) << "old";
  ::chmod(target.c_str(), 0640);
  fs::create_symlink(target, path("link.json"));
  std::ifstream before(target);  // still open on the old file when the new one lands

  const auto ended = run({"--runs", "1", "--json", path("link.json"), "--", CALLBENCH_STANDIN, "good"});
  ASSERT_EQ(ended.status, 0) << ended.err;
  std::string old_text;
  before >> old_text;
  EXPECT_EQ(old_text, "old") << "written in place instead of through a new file and a rename";
  EXPECT_TRUE(fs::is_symlink(path("link.json")));
  EXPECT_EQ(nlohmann::json::parse(std::ifstream(target))["series"][0]["runs_valid"], 1);
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(leftovers().size(), 2u) << "a temporary file was left behind";
}

TEST_F(Hostile, JsonToStandardOutputSendsTheTableToStandardError) {
  const auto ended = run({"--runs", "1", "--json", "-", "--", CALLBENCH_STANDIN, "good"});
  ASSERT_EQ(ended.status, 0) << ended.err;
  EXPECT_EQ(nlohmann::json::parse(ended.out)["series"][0]["runs_valid"], 1);
  EXPECT_TRUE(contains(ended.err, "1 of 1 runs valid")) << ended.err;
}

TEST_F(Hostile, FailedTableWritesAreReportedAndTheJsonIsKept) {
  struct {
    Destination out;
    std::string out_path;
    std::string err;
  } cases[] = {
      {Destination::Closed, "", "cannot write the table: standard output: Bad file descriptor"},
      {Destination::File, "/dev/full", "cannot write the table: standard output: No space left on device"},
      {Destination::ClosedPipe, "", "cannot write the table: standard output: Broken pipe"},
  };
  for (const auto& c : cases) {
    fs::remove(path("report.json"));
    const auto ended =
        run({"--runs", "1", "--json", path("report.json"), "--", CALLBENCH_STANDIN, "good"}, c.out, c.out_path);
    EXPECT_EQ(ended.status, 1) << c.err;
    EXPECT_TRUE(contains(ended.err, c.err)) << ended.err;
    EXPECT_TRUE(fs::exists(path("report.json"))) << c.err;
  }
}

}  // namespace
}  // namespace callbench
