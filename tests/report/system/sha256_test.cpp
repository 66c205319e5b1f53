// Digests of known content, across read chunks, and files that are not files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "system/sha256.hpp"

namespace callbench {
namespace {

namespace fs = std::filesystem;

TEST(Sha256, OfAFileIsTheDigestOfItsContent) {
  const fs::path dir =
      fs::temp_directory_path() / ("callbench-sha256-" + std::to_string(std::random_device{}()));
  fs::create_directories(dir);
  const struct {
    std::string content, digest;
  } cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {std::string(1'000'000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const auto& c : cases) {
    const fs::path file = dir / "content";
    std::ofstream(file, std::ios::binary | std::ios::trunc) << c.content;
    EXPECT_EQ(sha256_of_file(file.u8string()), c.digest) << c.content.size() << " bytes";
  }
  EXPECT_EQ(sha256_of_file(dir.u8string()), std::nullopt) << "a directory";
  fs::remove_all(dir);
}

}  // namespace
}  // namespace callbench
