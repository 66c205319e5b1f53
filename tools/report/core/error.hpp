#pragma once

#include <stdexcept>
#include <string>

namespace callbench {

// Exit statuses.
inline constexpr int kExitIncomplete = 1;  // runs failed, or an output could not be written
inline constexpr int kExitBadInput = 2;    // bad options, paths or files, found before anything runs

// Every problem that ends the program: worded for the user as one line, with
// the exit status it ends with. Thrown where found, caught once in main.
struct Error : std::runtime_error {
  explicit Error(const std::string& message, int status = kExitBadInput)
      : std::runtime_error(message), exit_status(status) {}
  int exit_status;
};

}  // namespace callbench
