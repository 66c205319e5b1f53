#include <windows.h>

#include "system/processor.hpp"

namespace callbench {

// Windows keeps the revision it found at start in each processor's key; Wine
// keeps no such value, so under Wine the revision is unknown.
std::optional<std::uint32_t> read_microcode(int cpu) {
  const std::wstring key = L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\" + std::to_wstring(cpu);
  std::vector<unsigned char> value(8);
  DWORD size = static_cast<DWORD>(value.size());
  // Any type of 8 bytes: REG_BINARY as Windows writes it, or REG_QWORD.
  const LSTATUS status = ::RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"Update Revision",
                                        RRF_RT_REG_BINARY | RRF_RT_REG_QWORD, nullptr, value.data(), &size);
  if (status != ERROR_SUCCESS) return std::nullopt;
  value.resize(size);
  return update_revision_microcode(value);
}

}  // namespace callbench
