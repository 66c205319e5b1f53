// What CPUID and the time-stamp counter say about this machine: signatures
// decoded as the vendors define them, the table of microarchitectures, where
// the systems show the microcode, and the real reading against what the
// system itself says (Linux's /proc/cpuinfo, the registry on Windows and Wine).
#ifdef _WIN32
#include <windows.h>
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "core/processor_identity.hpp"
#include "system/processor.hpp"

namespace callbench {
namespace {

TEST(Processor, NamesItsBrandWithoutPadding) {
  const auto brand = read_processor(std::nullopt).brand;
  ASSERT_FALSE(brand.empty());
  EXPECT_NE(brand.front(), ' ');
  EXPECT_NE(brand.back(), ' ');
}

TEST(Processor, SignaturesDecodeAsTheVendorsDefineThem) {
  const struct {
    const char* vendor;
    std::uint32_t signature;
    unsigned family, model, stepping;
    const char* microarchitecture;
  } cases[] = {
      {"AuthenticAMD", 0x00A10F11, 25, 0x11, 1, "Zen 4"},  // EPYC 9004
      {"AuthenticAMD", 0x00A00F11, 25, 0x01, 1, "Zen 3"},  // EPYC 7003
      {"AuthenticAMD", 0x00830F10, 23, 0x31, 0, "Zen 2"},  // EPYC 7002
      {"AuthenticAMD", 0x00B40F40, 26, 0x44, 0, "Zen 5"},  // Ryzen 9000
      {"GenuineIntel", 0x00050654, 6, 0x55, 4, "Skylake-SP"},
      {"GenuineIntel", 0x00050657, 6, 0x55, 7, "Cascade Lake"},
      {"GenuineIntel", 0x00050658, 6, 0x55, 8, "unknown"},  // a stepping outside the table
      {"GenuineIntel", 0x000806F8, 6, 0x8F, 8, "Sapphire Rapids"},
      {"GenuineIntel", 0x00090672, 6, 0x97, 2, "Alder Lake"},
      // The extended family counts only when the base family is 0xF.
      {"GenuineIntel", 0x00000F29, 15, 0x02, 9, "unknown"},
      {"GenuineIntel", 0x00A00629, 6, 0x02, 9, "unknown"},
      // AMD takes the extended model only with base family 0xF, Intel with 6 too.
      {"AuthenticAMD", 0x00010661, 6, 0x06, 1, "unknown"},
      {"GenuineIntel", 0x00010661, 6, 0x16, 1, "unknown"},
      {"AuthenticAMD", 0x00100F42, 16, 0x04, 2, "unknown"},  // K10, older than the table
      {"HygonGenuine", 0x00900F22, 24, 0x02, 2, "unknown"},  // a vendor outside the table
      // Neither the reserved bits nor the processor type are part of family or model.
      {"AuthenticAMD", 0xF0A13F11, 25, 0x11, 1, "Zen 4"},
  };
  for (const auto& c : cases) {
    const auto id = identify_processor(c.vendor, c.signature);
    const std::string what = std::string(c.vendor) + " " + hex_text(c.signature);
    EXPECT_EQ(id.family, c.family) << what;
    EXPECT_EQ(id.model, c.model) << what;
    EXPECT_EQ(id.stepping, c.stepping) << what;
    EXPECT_EQ(id.microarchitecture, c.microarchitecture) << what;
    EXPECT_FALSE(id.microcode) << what;
  }
  auto genoa = identify_processor("AuthenticAMD", 0x00A10F11);
  genoa.microcode = 0x1000065;
  EXPECT_EQ(identity_text(genoa),
            "Zen 4, AMD family 25 (0x19) model 17 (0x11) stepping 1, microcode 0x1000065");
  EXPECT_EQ(identity_tag(identify_processor("GenuineIntel", 0x000B06E0)), "Intel family 6 model 190");
}

// Each row is reached through a signature of its own, and no two rows claim
// one processor.
TEST(Processor, EveryRowOfTheTableIsReachedAndNoneOverlaps) {
  const auto& rows = microarchitecture_rows();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const auto& row = rows[i];
    const std::string what = std::string(row.name) + " (row " + std::to_string(i) + ")";
    EXPECT_TRUE(row.first_model <= row.last_model && row.first_stepping <= row.last_stepping) << what;
    EXPECT_LE(row.last_stepping, 0xFu) << what;
    EXPECT_NE(std::string(row.name), "unknown") << what;
    // The signature of the row's last model and stepping, as the processor gives it.
    const bool extended_family = row.family >= 0xF;
    const std::uint32_t signature = (extended_family ? (row.family - 0xF) << 20 : 0u) |
                                    (row.last_model >> 4) << 16 | (extended_family ? 0xFu : row.family) << 8 |
                                    (row.last_model & 0xF) << 4 | row.last_stepping;
    EXPECT_EQ(identify_processor(row.vendor, signature).microarchitecture, row.name) << what;
    for (std::size_t j = i + 1; j < rows.size(); ++j) {
      const auto& other = rows[j];
      const bool overlap = std::string(row.vendor) == other.vendor && row.family == other.family &&
                           row.first_model <= other.last_model && other.first_model <= row.last_model &&
                           row.first_stepping <= other.last_stepping &&
                           other.first_stepping <= row.last_stepping;
      EXPECT_FALSE(overlap) << what << " and " << other.name << " (row " << j << ")";
    }
  }
}

TEST(Processor, MicrocodeIsReadWhereTheSystemsShowIt) {
  EXPECT_EQ(parse_hex32("0x1000065"), 0x1000065u);
  EXPECT_EQ(parse_hex32("0XFFFFFFFF"), 0xFFFFFFFFu);
  for (const char* bad : {"", "0x", "1000065", "0x1g", "0x100000000", "0x 1", "-0x1"})
    EXPECT_FALSE(parse_hex32(bad)) << bad;
  EXPECT_EQ(hex_text(0x0A101148), "0xa101148");

  // Each processor's block of /proc/cpuinfo, its own microcode line.
  const std::string cpuinfo =
      "processor\t: 0\nvendor_id\t: AuthenticAMD\nmicrocode\t: 0xa101148\n\n"
      "processor\t: 1\nmodel name\t: AMD EPYC: microcode 0x1\nmicrocode\t: 0xa101144\n\n"
      "processor\t: 10\nmicrocode\t: 0x2\n\n"
      "processor\t: 2\nflags\t\t: fpu\n\n";
  EXPECT_EQ(cpuinfo_microcode(cpuinfo, 0), 0xa101148u);
  EXPECT_EQ(cpuinfo_microcode(cpuinfo, 1), 0xa101144u);
  EXPECT_EQ(cpuinfo_microcode(cpuinfo, 10), 0x2u);
  EXPECT_FALSE(cpuinfo_microcode(cpuinfo, 2)) << "a block without the line";
  EXPECT_FALSE(cpuinfo_microcode(cpuinfo, 3)) << "a processor not listed";
  EXPECT_FALSE(cpuinfo_microcode("processor : 0\nmicrocode : none\n", 0));

  // The registry's "Update Revision": Intel's revision in the high half.
  using Bytes = std::vector<unsigned char>;
  EXPECT_EQ(update_revision_microcode(Bytes{0, 0, 0, 0, 0x2b, 0x00, 0x00, 0x2b}), 0x2b00002bu);
  EXPECT_EQ(update_revision_microcode(Bytes{0x65, 0x00, 0x00, 0x01, 0, 0, 0, 0}), 0x1000065u);
  EXPECT_FALSE(update_revision_microcode(Bytes(8, 0))) << "no revision loaded";
  EXPECT_FALSE(update_revision_microcode(Bytes{1, 2, 3, 4})) << "not 8 bytes";
}

// The system's own decoding of the same CPUID: "x86 Family 25 Model 17
// Stepping 1" in the registry (Wine writes it too), or /proc/cpuinfo's lines.
struct SystemSays {
  std::string vendor;
  unsigned family = 0, model = 0, stepping = 0;
  std::optional<std::uint32_t> microcode;
  bool read = false;
};

#ifdef _WIN32
std::string registry_text(const wchar_t* name) {
  wchar_t text[256] = {};
  DWORD size = sizeof text;
  if (::RegGetValueW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", name,
                     RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
    return {};
  std::string narrow;
  for (const wchar_t* c = text; *c; ++c) narrow += static_cast<char>(*c);
  return narrow;
}

SystemSays what_the_system_says() {
  SystemSays says;
  says.vendor = registry_text(L"VendorIdentifier");
  const std::string identifier = registry_text(L"Identifier");
  const auto at = identifier.find("Family");
  says.read = at != std::string::npos && std::sscanf(identifier.c_str() + at, "Family %u Model %u Stepping %u",
                                                     &says.family, &says.model, &says.stepping) == 3;
  return says;
}
#else
SystemSays what_the_system_says() {
  SystemSays says;
  std::ifstream cpuinfo("/proc/cpuinfo");
  std::string line;
  int fields = 0;
  while (std::getline(cpuinfo, line) && !line.empty()) {
    const auto colon = line.find(':');
    if (colon == std::string::npos || colon + 2 > line.size()) continue;
    const std::string name = line.substr(0, line.find_first_of("\t:")), value = line.substr(colon + 2);
    if (name == "vendor_id") says.vendor = value, ++fields;
    if (name == "cpu family") says.family = static_cast<unsigned>(std::stoul(value)), ++fields;
    if (name == "model") says.model = static_cast<unsigned>(std::stoul(value)), ++fields;
    if (name == "stepping") says.stepping = static_cast<unsigned>(std::stoul(value)), ++fields;
    if (name == "microcode") says.microcode = parse_hex32(value);
  }
  says.read = fields == 4;
  return says;
}
#endif

TEST(Processor, TheIdentityReadIsTheOneTheSystemShows) {
  const auto identity = read_processor(0).identity;
  ASSERT_TRUE(identity);
  const SystemSays says = what_the_system_says();
  ASSERT_TRUE(says.read) << "the system shows no family, model and stepping";
  EXPECT_EQ(identity->vendor, says.vendor);
  EXPECT_EQ(identity->family, says.family);
  EXPECT_EQ(identity->model, says.model);
  EXPECT_EQ(identity->stepping, says.stepping);
  EXPECT_EQ(identity->microarchitecture,
            microarchitecture_of(says.vendor, says.family, says.model, says.stepping));
#ifndef _WIN32
  // This test reads the first block of /proc/cpuinfo, processor 0's.
  if (says.microcode) {
    EXPECT_EQ(identity->microcode, says.microcode);
  }
#endif
  std::printf("this processor: %s\n", identity_text(*identity).c_str());
}

// The shortest of several tries, as interruptions only ever add ticks.
std::uint64_t fastest(std::uint64_t additions) {
  std::uint64_t best = time_addition_chain(additions).ticks;
  for (int i = 0; i < 9; ++i) best = std::min(best, time_addition_chain(additions).ticks);
  return best;
}

TEST(Processor, ALongerAdditionChainTakesLonger) {
  const auto short_chain = fastest(10'000);
  const auto long_chain = fastest(1'000'000);
  EXPECT_GT(long_chain, short_chain);
  EXPECT_GT(fastest(1'000'037), fastest(37)) << "a chain that is not a whole number of blocks";
}

}  // namespace
}  // namespace callbench
