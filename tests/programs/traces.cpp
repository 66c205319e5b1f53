#include "traces.h"

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <stdexcept>

#include "expected_output.h"
#include "program_image.h"

namespace callbench_test {
namespace {

// Splits at commas outside double quotes (which may hold escaped quotes).
std::vector<std::string> SplitArgs(const std::string& text) {
  std::vector<std::string> args(1);
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted && c == '\\' && i + 1 < text.size()) {
      args.back() += text.substr(i++, 2);
      continue;
    }
    if (c == '"') quoted = !quoted;
    if (c == ',' && !quoted) {
      args.emplace_back();
      continue;
    }
    args.back() += c;
  }
  for (auto& arg : args) {
    const size_t first = arg.find_first_not_of(' ');
    arg = first == std::string::npos ? "" : arg.substr(first);
  }
  return args;
}

std::string Pause(long long milliseconds) {
  return "pause " + std::to_string(milliseconds) + " ms";
}

// "name(args) = result", as strace writes a finished call after the pid.
std::string StraceEvent(const std::string& name, const std::string& args) {
  const std::vector<std::string> a = SplitArgs(args);
  static const std::regex kTime(R"(\{tv_sec=(\d+), tv_nsec=(\d+)\})");
  std::smatch time;
  if ((name == "nanosleep" || name == "clock_nanosleep") && std::regex_search(args, time, kTime) &&
      std::stoll(time[2]) % 1000000 == 0) {
    return Pause(std::stoll(time[1]) * 1000 + std::stoll(time[2]) / 1000000);
  }
  if (name == "setpriority" && args == "PRIO_PROCESS, 0, -10") return "priority high";
  if (name == "setpriority" && args == "PRIO_PROCESS, 0, 0") return "priority normal";
  if (name == "write" && a.size() == 3 && a[0] == "1") return "write " + a[2];
  if (name == "exit_group") return "exit " + args;
  if (name == "rt_sigaction" && args.rfind("SIGPIPE, {sa_handler=SIG_IGN,", 0) == 0) {
    return "ignore SIGPIPE";
  }
  return "? " + name + "(" + args + ")";
}

}  // namespace

std::vector<std::string> StraceEvents(const std::string& log) {
  static const std::regex kCall(R"(^\d+ +(\w+)\((.*)\) += .*$)");
  std::vector<std::string> events;
  std::istringstream lines(log);
  for (std::string line; std::getline(lines, line);) {
    std::smatch call;
    if (std::regex_match(line, call, kCall)) {
      events.push_back(StraceEvent(call[1], call[2]));
    } else if (line.find("+++ exited with") == std::string::npos) {
      events.push_back("? " + line);  // signals, unfinished calls
    }
  }
  return events;
}

// Lines like `0024:Call KERNEL32.Sleep(00000064) ret=00401009`.
std::vector<RelayCall> ProgramRelayCalls(const std::string& log_path,
                                         const std::map<uint32_t, std::string>& call_sites) {
  std::ifstream log(log_path);
  if (!log) throw std::runtime_error("cannot read " + log_path);
  std::vector<RelayCall> calls;
  for (std::string line; std::getline(log, line);) {
    const size_t call = line.find(":Call ");
    const size_t ret = line.rfind(") ret=");
    if (call == std::string::npos || ret == std::string::npos || ret < call) continue;
    const size_t open = line.find('(', call);
    const size_t dot = line.rfind('.', open);
    if (open == std::string::npos || dot == std::string::npos || dot < call) continue;
    const auto site = call_sites.find(ParseHex(line.substr(ret + 6)));
    const std::string function = line.substr(dot + 1, open - dot - 1);
    if (site == call_sites.end() || site->second != function) continue;
    calls.push_back({function, SplitArgs(line.substr(open + 1, ret - open - 1))});
  }
  return calls;
}

std::vector<std::string> RelayEvents(const std::vector<RelayCall>& calls) {
  // The calls strace is asked for on Linux; GetStdHandle and GetCurrentProcess have no system call
  // there.
  static const std::set<std::string> kTraced = {"Sleep", "SetPriorityClass", "WriteFile", "MessageBoxA",
                                                "ExitProcess"};
  std::vector<std::string> events;
  for (const RelayCall& call : calls) {
    if (kTraced.count(call.function) == 0) continue;
    const auto& a = call.args;
    std::string event;
    if (call.function == "Sleep" && a.size() == 1) {
      event = Pause(ParseHex(a[0]));
    } else if (call.function == "SetPriorityClass" && a.size() == 2 && a[0] == "ffffffff") {
      if (a[1] == "00000080") event = "priority high";
      if (a[1] == "00000020") event = "priority normal";
    } else if (call.function == "WriteFile" && a.size() == 5) {
      event = "write " + std::to_string(ParseHex(a[2]));
    } else if (call.function == "ExitProcess" && a.size() == 1) {
      event = "exit " + std::to_string(ParseHex(a[0]));
    }
    if (event.empty()) {
      event = "? " + call.function + "(";
      for (size_t i = 0; i < a.size(); ++i) event += (i ? "," : "") + a[i];
      event += ")";
    }
    events.push_back(event);
  }
  return events;
}

std::vector<std::string> ExpectedEvents(const std::vector<std::string>& figures) {
  std::vector<std::string> events;
  auto write = [&](const std::string& text) { events.push_back("write " + std::to_string(text.size())); };
  size_t figure = 0;
  for (int sweep = 0; sweep < output::kSweeps; ++sweep) {
    events.push_back(Pause(100));
    for (size_t i = 0; i < output::kNames.size(); ++i, ++figure) {
      events.push_back("priority high");
      events.push_back("priority normal");
      write(figures.at(figure));
      write(output::figure_label(i));
    }
  }
  for (size_t i = 0; i < output::kNames.size(); ++i) {
    write(output::kSizeHeadings[i]);
    write("\t");
    write(std::to_string(output::kSizes[i]));
    write("\r\n");
  }
  events.push_back("exit 0");
  return events;
}

std::string QuotedText(const std::string& arg) {
  const size_t open = arg.find('"');
  const size_t close = arg.rfind('"');
  if (open == std::string::npos || close == open) return "";
  return arg.substr(open + 1, close - open - 1);
}

}  // namespace callbench_test
