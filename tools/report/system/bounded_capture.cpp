#include "system/bounded_capture.hpp"

#include <algorithm>

namespace callbench {

void BoundedCapture::append(const char* bytes, std::size_t count) {
  const std::size_t room = limit_ - text_.size();
  text_.append(bytes, std::min(count, room));
  overflowed_ |= count > room;
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
