// Runs the built callbench-report, each test in a fresh directory of its own.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "run/process.hpp"

namespace callbench {

struct Ran {
  int status = -1;
  std::string out, err;
};

inline Ran report(std::vector<std::string> args) {
  args.insert(args.begin(), CALLBENCH_REPORT);
  ProcessLimits limits;
  limits.timeout_seconds = 120;
  const auto result = run_process(args, limits);
  EXPECT_EQ(result.outcome, ProcessResult::Outcome::Exited) << result.err;
  return {result.code, result.out, result.err};
}

inline bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

inline std::string file_text(const std::string& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
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

  std::filesystem::path dir_;
};

}  // namespace callbench
