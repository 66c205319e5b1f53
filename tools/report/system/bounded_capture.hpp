#pragma once

#include <cstddef>
#include <string>

namespace callbench {

// Keeps at most limit bytes; anything past them marks the capture as overflowed.
class BoundedCapture {
 public:
  explicit BoundedCapture(std::size_t limit) : limit_(limit) {}

  void append(const char* bytes, std::size_t count);
  bool overflowed() const { return overflowed_; }
  std::string take() { return std::move(text_); }

 private:
  std::size_t limit_;
  bool overflowed_ = false;
  std::string text_;
};

// Keeps the last keep bytes of a stream of any length.
class TailCapture {
 public:
  explicit TailCapture(std::size_t keep) : keep_(keep) {}

  void append(const char* bytes, std::size_t count);
  // How many bytes were dropped from the front.
  std::size_t dropped() const { return dropped_; }
  std::string take() { return std::move(text_); }

 private:
  std::size_t keep_;
  std::size_t dropped_ = 0;
  std::string text_;
};

}  // namespace callbench
