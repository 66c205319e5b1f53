#pragma once

#include <optional>
#include <string>

namespace callbench {

// Lower-case hex SHA-256 of a regular file's content; none if it cannot be read.
std::optional<std::string> sha256_of_file(const std::string& path);

}  // namespace callbench
