#include "system/bounded_capture.hpp"

namespace callbench {

bool BoundedCapture::append(const char* bytes, std::size_t count) {
  if (overflowed_) return false;
  const std::size_t room = limit_ - text_.size();
  if (count > room) {
    text_.append(bytes, room);
    overflowed_ = true;
    return false;
  }
  text_.append(bytes, count);
  return true;
}

void TailCapture::append(const char* bytes, std::size_t count) {
  if (count >= keep_) {
    dropped_ += text_.size() + (count - keep_);
    text_.assign(bytes + (count - keep_), keep_);
    return;
  }
  text_.append(bytes, count);
  if (text_.size() > keep_) {
    const std::size_t excess = text_.size() - keep_;
    text_.erase(0, excess);
    dropped_ += excess;
  }
}

}  // namespace callbench
