// Where reports go and what they are read from: an output that would destroy
// another output or an input, or that could only fail once the runs are done,
// is refused before any run; names that only look odd work; text from report
// files reaches the terminal harmless.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include <nlohmann/json.hpp>

#include "tool_test.h"

namespace callbench {
namespace {

namespace fs = std::filesystem;

class Outputs : public ToolTest {
 protected:
  std::vector<std::string> good_run(std::vector<std::string> options) const {
    options.insert(options.end(), {"--runs", "1", "--warmup", "0", "--", kStandin, "good"});
    return options;
  }
  void write(const std::string& name, const std::string& text) const { std::ofstream(path(name)) << text; }
  // A report whose label, command, host and processor hold the given text.
  void write_report(const std::string& name, const std::string& text) const {
    ASSERT_EQ(report(good_run({"--json", path("clean.json")})).status, 0);
    auto json = nlohmann::json::parse(file_text(path("clean.json")));
    json["label"] = text;
    auto& series = json["series"][0];
    series["label"] = text;
    series["command"] = {text};
    series["conditions"]["host"] = text;
    series["conditions"]["processor"]["brand"] = text;
    write(name, json.dump());
  }
};

bool runs_as_nobody_possible() {
  return ::geteuid() == 0 && fs::exists("/usr/bin/setpriv");
}

TEST_F(Outputs, ThoseThatWouldDestroyOrFailAreRefusedBeforeAnyRunAndOddNamesWork) {
  const std::string benchmark = path("bench");
  const std::string long_name = path(std::string(250, 'n') + ".json");
  const std::string forged = "\x1b]0;owned\x07\x1b[2J\nwarning: forged\r";
  const std::vector<std::string> as_nobody = {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"};
  struct {
    std::string what;
    std::function<std::vector<std::string>()> arrange;  // the arguments
    int status;
    std::string err;  // part of standard error
    std::function<void(const Ended&)> check;
    bool as_nobody = false;
  } cases[] = {
      {"the benchmark",
       [&] {
         fs::copy_file(kStandin, benchmark);
         fs::create_symlink(benchmark, path("bench-link"));
         return std::vector<std::string>{"--json", path("bench-link"), "--", benchmark, "good"};
       },
       2, "--json " + path("bench-link") + " would overwrite the benchmark " + benchmark,
       [&](const Ended&) { EXPECT_EQ(fs::file_size(benchmark), fs::file_size(kStandin)); }},
      {"a file the command names",
       [&] {
         write("input.txt", "input");
         return std::vector<std::string>{"--json", path("input.txt"), "--", kStandin,
                                         "good",   path("input.txt")};
       },
       2, "would overwrite a file the command names", nullptr},
      {"the command's first argument",
       [&] {
         write("arg.json", "input");
         return std::vector<std::string>{"--json", path("arg.json"), "--", kStandin, path("arg.json")};
       },
       2, "--json " + path("arg.json") + " would overwrite a file the command names", nullptr},
      {"two outputs",
       [&] {
         return good_run({"--json", path("r"), "--html", path("r")});
       },
       2, "--json " + path("r") + " and --html " + path("r") + " name the same file", nullptr},
      {"two outputs through a hard link",
       [&] {
         write("r", "");
         fs::create_hard_link(path("r"), path("h"));
         return good_run({"--csv", path("h"), "--json", path("r")});
       },
       2, "--json " + path("r") + " and --csv " + path("h") + " name the same file", nullptr},
      {"the baseline",
       [&] {
         write("b.json", "{}");
         return good_run({"--baseline", path("b.json"), "--json", path("./b.json")});
       },
       2, "would overwrite the baseline " + path("b.json"),
       [&](const Ended&) { EXPECT_EQ(file_text(path("b.json")), "{}"); }},
      {"a saved output",
       [&] {
         write("run1.txt", "saved");
         return std::vector<std::string>{"--from", path("run1.txt"), "--markdown", path("run1.txt")};
       },
       2, "would overwrite a saved output " + path("run1.txt"), nullptr},
      {"a report being compared",
       [&] {
         write("a.json", "{}");
         return std::vector<std::string>{"compare", path("a.json"), path("a.json"), "--csv", path("a.json")};
       },
       2, "would overwrite a report being compared " + path("a.json"), nullptr},
      {"standard error by name",
       [&] {
         return good_run({"--json", "/dev/stderr"});
       },
       2, "/dev/stderr: is standard error, where the messages go", nullptr},
      {"standard output by name",
       [&] {
         return good_run({"--json", "/dev/stdout"});
       },
       0, "1 of 1 runs valid",  // the table goes to standard error, as with -
       [&](const Ended& ended) { EXPECT_EQ(nlohmann::json::parse(ended.out)["series"][0]["runs_valid"], 1); }},
      {"standard output by descriptor",
       [&] {
         return good_run({"--csv", "/proc/self/fd/1"});
       },
       0, "1 of 1 runs valid", [&](const Ended& ended) { EXPECT_EQ(ended.out.rfind("section,", 0), 0u); }},
      {"a name of 255 bytes",
       [&] {
         return good_run({"--json", long_name});
       },
       0, "", [&](const Ended&) { EXPECT_TRUE(fs::is_regular_file(long_name)); }},
      {"a dangling link",
       [&] {
         fs::create_symlink("made.json", path("dangling"));
         return good_run({"--json", path("dangling")});
       },
       0, "",
       [&](const Ended&) {
         EXPECT_TRUE(fs::is_symlink(path("dangling")));
         EXPECT_TRUE(fs::is_regular_file(path("made.json")));
       }},
      {"another user's file in a sticky directory",
       [&] {
         fs::create_directory(path("sticky"));
         ::chmod(path("sticky").c_str(), 01777);
         write("sticky/theirs.json", "theirs");
         ::chmod(path("sticky/theirs.json").c_str(), 0666);
         return good_run({"--json", path("sticky/theirs.json")});
       },
       2,
       path("sticky/theirs.json") +
           ": cannot be replaced: the directory is sticky and the file is another user's",
       [&](const Ended&) { EXPECT_EQ(file_text(path("sticky/theirs.json")), "theirs"); }, true},
      {"one's own file in a sticky directory",
       [&] {
         write("sticky/mine.json", "mine");
         ::chown(path("sticky/mine.json").c_str(), 65534, 65534);
         return good_run({"--json", path("sticky/mine.json")});
       },
       0, "", nullptr, true},
      {"terminal controls in report files",
       [&] {
         write_report("forged.json", forged);
         write_report("kept.json", "Z\xc3\xbcrich \xe2\x9c\x93");
         return std::vector<std::string>{"compare", path("forged.json"), path("kept.json")};
       },
       0, "",
       [&](const Ended& ended) {
         EXPECT_EQ(ended.out.find_first_of("\x1b\x07\r"), std::string::npos) << ended.out;
         EXPECT_FALSE(contains(ended.out, "\nwarning: forged")) << ended.out;
         EXPECT_TRUE(contains(ended.out, "\\x1b]0;owned\\x07")) << ended.out;
         EXPECT_TRUE(contains(ended.out, "Z\xc3\xbcrich \xe2\x9c\x93")) << "printable UTF-8 stays as it is";
       }},
      {"more runs than a report file can hold",
       [&] {
         return good_run({"--runs", "50001"});
       },
       2, "--runs: \"50001\" is not in the range 1 to 50000", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.as_nobody && !runs_as_nobody_possible()) {
      std::cout << "skipped \"" << c.what << "\": needs root and setpriv to run as nobody\n";
      continue;
    }
    const auto args = c.arrange();
    const auto ended =
        report(args, Destination::File, "", "", c.as_nobody ? as_nobody : std::vector<std::string>{});
    EXPECT_EQ(ended.status, c.status) << ended.err;
    EXPECT_TRUE(contains(ended.err, c.err)) << ended.err;
    if (c.status == 2) {
      EXPECT_EQ(std::count(ended.err.begin(), ended.err.end(), '\n'), 1) << ended.err;
    }
    if (c.check) c.check(ended);
  }
}

}  // namespace
}  // namespace callbench
