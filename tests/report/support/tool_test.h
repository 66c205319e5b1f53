// Runs the built callbench-report, each test in a fresh directory of its own.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "launch.h"

namespace callbench {

// The stand-in benchmark, and the process id it wrote to a file.
inline const std::string kStandin = CALLBENCH_STANDIN;
inline int read_pid(const std::string& file) {
  int pid = 0;
  std::ifstream(file) >> pid;
  return pid;
}

inline bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// The cells of the row of the text table that starts with name, in the section
// whose title line is given, split on runs of two or more spaces.
inline std::vector<std::string> table_row(const std::string& table, const std::string& section,
                                          const std::string& name) {
  const auto start = table.find("\n" + section + "\n");
  if (start == std::string::npos) return {};
  std::istringstream lines(table.substr(start + section.size() + 2));
  for (std::string line; std::getline(lines, line) && !line.empty();) {
    if (line.rfind(name + "  ", 0) != 0) continue;
    std::vector<std::string> cells;
    std::size_t at = 0;
    while (at < line.size()) {
      const auto gap = line.find("  ", at);
      cells.push_back(line.substr(at, gap - at));
      if (gap == std::string::npos) break;
      at = line.find_first_not_of(' ', gap);
    }
    return cells;
  }
  return {};
}

// Each test in a fresh directory of its own, which holds only what the tool
// and the test wrote (the tool's standard output and error go elsewhere).
class ToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("callbench-report-test-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  // callbench-report with these arguments; standard input from in_path, or
  // empty; started through wrapper when one is given (e.g. to run it as another user).
  static Launch tool(const std::vector<std::string>& args, Destination out = Destination::File,
                     const std::string& out_path = "", const std::string& in_path = "",
                     const std::vector<std::string>& wrapper = {}) {
    Launch launch;
    launch.command = wrapper;
    launch.command.push_back(CALLBENCH_REPORT);
    launch.command.insert(launch.command.end(), args.begin(), args.end());
    if (!in_path.empty()) launch.in = Source::File, launch.input = in_path;
    launch.out = out;
    launch.out_path = out_path;
    return launch;
  }

  // Runs callbench-report to its end.
  static Ended report(const std::vector<std::string>& args, Destination out = Destination::File,
                      const std::string& out_path = "", const std::string& in_path = "",
                      const std::vector<std::string>& wrapper = {}) {
    return launch(tool(args, out, out_path, in_path, wrapper), 120);
  }

  std::filesystem::path dir_;
};

}  // namespace callbench
