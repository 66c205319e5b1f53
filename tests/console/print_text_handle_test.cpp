// PrintText must ask for the standard output handle on every call, since
// standard output can be replaced while the program runs. The real platform
// cannot show a cached handle (Linux always answers 1, Wine reuses handle
// values), so this program links the console objects with its own
// GetStdHandle and WriteFile: a new handle on every request, and a record of
// which handle each write used. On Windows these definitions take the place
// of kernel32's for the console objects, which call them undecorated by
// dllimport.
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "console/console.h"

namespace {

struct Write {
  Handle file;
  std::string bytes;
};

std::vector<uint32_t> handle_requests;  // the argument of each GetStdHandle call
std::vector<Write> writes;

Handle HandleForRequest(size_t number) {
  return reinterpret_cast<Handle>(0x1000 + 4 * number);
}

}  // namespace

Handle CALLBENCH_STDCALL GetStdHandle(uint32_t which) {
  handle_requests.push_back(which);
  return HandleForRequest(handle_requests.size());
}

int32_t CALLBENCH_STDCALL WriteFile(Handle file, const void* bytes, uint32_t count, uint32_t* written, void*) {
  writes.push_back({file, std::string(static_cast<const char*>(bytes), count)});
  if (written != nullptr) *written = count;
  return 1;
}

namespace {

TEST(PrintTextHandleTest, AsksForStandardOutputAnewOnEveryCall) {
  const char* const texts[] = {"first\0\0\0", "second\0\0\0", "\r\n\0\0\0"};
  handle_requests.clear();
  writes.clear();
  for (size_t i = 0; i < std::size(texts); ++i) {
    SCOPED_TRACE("call " + std::to_string(i + 1));
    EXPECT_EQ(PrintText(texts[i]), std::strlen(texts[i]));
    ASSERT_EQ(handle_requests.size(), i + 1) << "GetStdHandle calls so far";
    EXPECT_EQ(handle_requests.back(), kStdOutputHandle);
    ASSERT_EQ(writes.size(), i + 1);
    EXPECT_EQ(writes.back().file, HandleForRequest(i + 1)) << "not the handle just handed out";
    EXPECT_EQ(writes.back().bytes, texts[i]);
  }
}

}  // namespace
