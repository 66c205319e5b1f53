#include <windows.h>
#include <bcrypt.h>

#include "system/files.hpp"
#include "system/hex.hpp"
#include "system/regular_file_windows.hpp"
#include "system/sha256.hpp"

namespace callbench {
namespace {

constexpr ULONG kDigestBytes = 32;

class Algorithm {
 public:
  Algorithm() {
    if (!BCRYPT_SUCCESS(::BCryptOpenAlgorithmProvider(&handle_, BCRYPT_SHA256_ALGORITHM, nullptr, 0)))
      handle_ = nullptr;
  }
  ~Algorithm() {
    if (handle_) ::BCryptCloseAlgorithmProvider(handle_, 0);
  }
  BCRYPT_ALG_HANDLE get() const { return handle_; }

 private:
  BCRYPT_ALG_HANDLE handle_ = nullptr;
};

class Hash {
 public:
  explicit Hash(BCRYPT_ALG_HANDLE algorithm) {
    // The system allocates the hash object itself (Windows 7 and later).
    if (!BCRYPT_SUCCESS(::BCryptCreateHash(algorithm, &handle_, nullptr, 0, nullptr, 0, 0))) handle_ = nullptr;
  }
  ~Hash() {
    if (handle_) ::BCryptDestroyHash(handle_);
  }
  BCRYPT_HASH_HANDLE get() const { return handle_; }

 private:
  BCRYPT_HASH_HANDLE handle_ = nullptr;
};

}  // namespace

std::optional<std::string> sha256_of_file(const std::string& path) {
  Handle file;
  try {
    file = open_regular_file(path);
  } catch (const Error&) {
    return std::nullopt;
  }
  Algorithm algorithm;
  if (!algorithm.get()) return std::nullopt;
  Hash hash(algorithm.get());
  if (!hash.get()) return std::nullopt;

  unsigned char buffer[64 * 1024];
  for (;;) {
    DWORD read = 0;
    if (!::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) return std::nullopt;
    if (read == 0) break;
    if (!BCRYPT_SUCCESS(::BCryptHashData(hash.get(), buffer, read, 0))) return std::nullopt;
  }
  unsigned char digest[kDigestBytes];
  if (!BCRYPT_SUCCESS(::BCryptFinishHash(hash.get(), digest, kDigestBytes, 0))) return std::nullopt;
  return lower_hex(digest, kDigestBytes);
}

}  // namespace callbench
