// Which microarchitecture a CPUID family and model is, from the vendors' own
// documents: AMD's Processor Programming References and revision guides, which
// are titled by family and model ("Family 19h Model 11h"), and Intel's list of
// family and model numbers with the Software Developer's Manual. Only entries
// known for certain are here; anything else is "unknown", which is better than
// a guess. Family and model are the display values, in hexadecimal as the
// vendors write them. Under a hypervisor they are what the guest is shown.
#include "core/microarchitectures.hpp"

namespace callbench {
namespace {

constexpr const char* kAmd = kAmdVendor;
constexpr const char* kIntel = kIntelVendor;
constexpr unsigned kAny = 0xF;  // the highest stepping: every stepping from first_stepping

// clang-format off
const std::vector<MicroarchitectureRow> kRows = {
    // vendor  family  models        steppings   name
    // AMD family 17h: Zen, Zen+ and Zen 2.
    {kAmd,     0x17,   0x01, 0x01,   0, kAny,    "Zen"},      // EPYC 7001 (Naples), Ryzen 1000 (Summit Ridge)
    {kAmd,     0x17,   0x08, 0x08,   0, kAny,    "Zen+"},     // Ryzen 2000 (Pinnacle Ridge)
    {kAmd,     0x17,   0x11, 0x11,   0, kAny,    "Zen"},      // Ryzen 2000G/U APUs (Raven Ridge)
    {kAmd,     0x17,   0x18, 0x18,   0, kAny,    "Zen+"},     // Ryzen 3000G/U APUs (Picasso)
    {kAmd,     0x17,   0x31, 0x31,   0, kAny,    "Zen 2"},    // EPYC 7002 (Rome), Threadripper 3000
    {kAmd,     0x17,   0x60, 0x60,   0, kAny,    "Zen 2"},    // Ryzen 4000 APUs (Renoir)
    {kAmd,     0x17,   0x71, 0x71,   0, kAny,    "Zen 2"},    // Ryzen 3000 (Matisse)
    // AMD family 19h: Zen 3 and Zen 4.
    {kAmd,     0x19,   0x01, 0x01,   0, kAny,    "Zen 3"},    // EPYC 7003 (Milan)
    {kAmd,     0x19,   0x08, 0x08,   0, kAny,    "Zen 3"},    // Threadripper PRO 5000 (Chagall)
    {kAmd,     0x19,   0x11, 0x11,   0, kAny,    "Zen 4"},    // EPYC 9004 (Genoa)
    {kAmd,     0x19,   0x18, 0x18,   0, kAny,    "Zen 4"},    // Threadripper 7000 (Storm Peak)
    {kAmd,     0x19,   0x21, 0x21,   0, kAny,    "Zen 3"},    // Ryzen 5000 (Vermeer)
    {kAmd,     0x19,   0x44, 0x44,   0, kAny,    "Zen 3+"},   // Ryzen 6000 mobile (Rembrandt)
    {kAmd,     0x19,   0x50, 0x50,   0, kAny,    "Zen 3"},    // Ryzen 5000 APUs (Cezanne)
    {kAmd,     0x19,   0x61, 0x61,   0, kAny,    "Zen 4"},    // Ryzen 7000 (Raphael)
    {kAmd,     0x19,   0x74, 0x74,   0, kAny,    "Zen 4"},    // Ryzen 7040 mobile (Phoenix)
    {kAmd,     0x19,   0xA0, 0xA0,   0, kAny,    "Zen 4c"},   // EPYC 97x4 (Bergamo), 8004 (Siena)
    // AMD family 1Ah: Zen 5.
    {kAmd,     0x1A,   0x02, 0x02,   0, kAny,    "Zen 5"},    // EPYC 9005 (Turin)
    {kAmd,     0x1A,   0x24, 0x24,   0, kAny,    "Zen 5"},    // Ryzen AI 300 (Strix Point)
    {kAmd,     0x1A,   0x44, 0x44,   0, kAny,    "Zen 5"},    // Ryzen 9000 (Granite Ridge)

    // Intel family 6, the Core and Xeon processors since 2011.
    {kIntel,   0x06,   0x2A, 0x2A,   0, kAny,    "Sandy Bridge"},
    {kIntel,   0x06,   0x2D, 0x2D,   0, kAny,    "Sandy Bridge"},   // Xeon E5 v1
    {kIntel,   0x06,   0x3A, 0x3A,   0, kAny,    "Ivy Bridge"},
    {kIntel,   0x06,   0x3E, 0x3E,   0, kAny,    "Ivy Bridge"},     // Xeon E5 v2
    {kIntel,   0x06,   0x3C, 0x3C,   0, kAny,    "Haswell"},
    {kIntel,   0x06,   0x3F, 0x3F,   0, kAny,    "Haswell"},        // Xeon E5 v3
    {kIntel,   0x06,   0x45, 0x46,   0, kAny,    "Haswell"},        // mobile, Crystal Well
    {kIntel,   0x06,   0x3D, 0x3D,   0, kAny,    "Broadwell"},
    {kIntel,   0x06,   0x47, 0x47,   0, kAny,    "Broadwell"},
    {kIntel,   0x06,   0x4F, 0x4F,   0, kAny,    "Broadwell"},      // Xeon E5 v4
    {kIntel,   0x06,   0x56, 0x56,   0, kAny,    "Broadwell"},      // Xeon D
    {kIntel,   0x06,   0x4E, 0x4E,   0, kAny,    "Skylake"},        // mobile
    {kIntel,   0x06,   0x5E, 0x5E,   0, kAny,    "Skylake"},        // desktop
    // Kaby, Coffee, Whiskey, Amber and Comet Lake: the Skylake core again;
    // their steppings tell the products apart, not the core.
    {kIntel,   0x06,   0x8E, 0x8E,   0, kAny,    "Skylake"},
    {kIntel,   0x06,   0x9E, 0x9E,   0, kAny,    "Skylake"},
    {kIntel,   0x06,   0xA5, 0xA6,   0, kAny,    "Skylake"},
    // One model, three generations of Xeon Scalable told apart by stepping.
    {kIntel,   0x06,   0x55, 0x55,   0, 4,       "Skylake-SP"},     // Xeon Scalable 1st gen, Core X 7000
    {kIntel,   0x06,   0x55, 0x55,   5, 7,       "Cascade Lake"},   // Xeon Scalable 2nd gen
    {kIntel,   0x06,   0x55, 0x55,   10, 11,     "Cooper Lake"},    // Xeon Scalable 3rd gen, 4 and 8 sockets
    {kIntel,   0x06,   0x6A, 0x6A,   0, kAny,    "Ice Lake-SP"},    // Xeon Scalable 3rd gen
    {kIntel,   0x06,   0x6C, 0x6C,   0, kAny,    "Ice Lake-SP"},    // Xeon D-1700/2700
    {kIntel,   0x06,   0x7D, 0x7E,   0, kAny,    "Ice Lake"},       // Core 10th gen mobile
    {kIntel,   0x06,   0x8C, 0x8D,   0, kAny,    "Tiger Lake"},
    {kIntel,   0x06,   0xA7, 0xA7,   0, kAny,    "Rocket Lake"},
    // Hybrid parts: one signature for the P-cores and the E-cores alike.
    {kIntel,   0x06,   0x97, 0x97,   0, kAny,    "Alder Lake"},     // Golden Cove with Gracemont, desktop
    {kIntel,   0x06,   0x9A, 0x9A,   0, kAny,    "Alder Lake"},     // mobile
    {kIntel,   0x06,   0xB7, 0xB7,   0, kAny,    "Raptor Lake"},    // desktop
    {kIntel,   0x06,   0xBA, 0xBA,   0, kAny,    "Raptor Lake"},    // mobile
    {kIntel,   0x06,   0xAA, 0xAA,   0, kAny,    "Meteor Lake"},
    {kIntel,   0x06,   0xBD, 0xBD,   0, kAny,    "Lunar Lake"},
    {kIntel,   0x06,   0xC6, 0xC6,   0, kAny,    "Arrow Lake"},     // desktop
    {kIntel,   0x06,   0x8F, 0x8F,   0, kAny,    "Sapphire Rapids"},  // Xeon Scalable 4th gen (Golden Cove)
    {kIntel,   0x06,   0xCF, 0xCF,   0, kAny,    "Emerald Rapids"},   // Xeon Scalable 5th gen
    {kIntel,   0x06,   0xAD, 0xAD,   0, kAny,    "Granite Rapids"},   // Xeon 6 P-cores
    {kIntel,   0x06,   0xAF, 0xAF,   0, kAny,    "Sierra Forest"},    // Xeon 6 E-cores
};
// clang-format on

}  // namespace

const std::vector<MicroarchitectureRow>& microarchitecture_rows() {
  return kRows;
}

std::string microarchitecture_of(const std::string& vendor, unsigned family, unsigned model,
                                 unsigned stepping) {
  for (const auto& row : kRows)
    if (vendor == row.vendor && family == row.family && model >= row.first_model && model <= row.last_model &&
        stepping >= row.first_stepping && stepping <= row.last_stepping)
      return row.name;
  return "unknown";
}

}  // namespace callbench
