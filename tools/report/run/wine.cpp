#include "run/wine.hpp"

#include <filesystem>

#include "system/process.hpp"

namespace callbench {

bool runs_under_wine(const std::vector<std::string>& command) {
  if (command.empty()) return false;
  const std::string program = std::filesystem::path(command.front()).filename().string();
  return program == "wine" || program == "wine64" || program == "wine-stable" || program == "wine-development";
}

const std::vector<std::string>& wine_own_processes() {
  static const std::vector<std::string> names = {
      "wineserver",   "wineserver32", "wineserver64", "wineboot.exe", "services.exe", "winedevice.exe",
      "plugplay.exe", "svchost.exe",  "rpcss.exe",    "explorer.exe", "conhost.exe"};
  return names;
}

std::optional<std::string> wine_version(const std::vector<std::string>& command) {
  if (!runs_under_wine(command)) return std::nullopt;
  ProcessLimits limits;
  limits.timeout_seconds = 30;  // the first start of Wine may set up its prefix
  limits.max_output = 1024;
  const auto result = run_process({command.front(), "--version"}, limits);
  if (result.outcome != ProcessResult::Outcome::Exited || result.code != 0) return std::nullopt;
  std::string version = result.out;
  while (!version.empty() && (version.back() == '\n' || version.back() == '\r')) version.pop_back();
  if (version.empty() || version.find('\n') != std::string::npos) return std::nullopt;
  return version;
}

}  // namespace callbench
