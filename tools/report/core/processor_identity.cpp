#include "core/processor_identity.hpp"

#include <cstdio>

namespace callbench {
namespace {

std::string vendor_name(const std::string& vendor) {
  if (vendor == kAmdVendor) return "AMD";
  if (vendor == kIntelVendor) return "Intel";
  return vendor.empty() ? "unknown vendor" : vendor;
}

std::string number_and_hex(unsigned value) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%02x", value);
  return std::to_string(value) + " (" + hex + ")";
}

}  // namespace

ProcessorIdentity identify_processor(const std::string& vendor, std::uint32_t signature) {
  const unsigned stepping = signature & 0xF;
  const unsigned base_model = (signature >> 4) & 0xF;
  const unsigned base_family = (signature >> 8) & 0xF;
  const unsigned extended_model = (signature >> 16) & 0xF;
  const unsigned extended_family = (signature >> 20) & 0xFF;

  ProcessorIdentity identity;
  identity.vendor = vendor;
  identity.signature = signature;
  identity.stepping = stepping;
  identity.family = base_family == 0xF ? base_family + extended_family : base_family;
  const bool extended = base_family == 0xF || (base_family == 0x6 && vendor != kAmdVendor);
  identity.model = extended ? (extended_model << 4) + base_model : base_model;
  identity.microarchitecture = microarchitecture_of(vendor, identity.family, identity.model, stepping);
  return identity;
}

std::string identity_text(const ProcessorIdentity& id) {
  const bool known = id.microarchitecture != "unknown" && !id.microarchitecture.empty();
  return (known ? id.microarchitecture : std::string("microarchitecture unknown")) + ", " +
         vendor_name(id.vendor) + " family " + number_and_hex(id.family) + " model " +
         number_and_hex(id.model) + " stepping " + std::to_string(id.stepping) + ", microcode " +
         (id.microcode ? hex_text(*id.microcode) : std::string("unknown"));
}

std::string identity_tag(const ProcessorIdentity& id) {
  if (id.microarchitecture != "unknown" && !id.microarchitecture.empty()) return id.microarchitecture;
  return vendor_name(id.vendor) + " family " + std::to_string(id.family) + " model " + std::to_string(id.model);
}

bool different_processors(const ProcessorIdentity& a, const ProcessorIdentity& b) {
  if (a.vendor != b.vendor || a.signature != b.signature) return true;
  return a.microcode && b.microcode && *a.microcode != *b.microcode;
}

std::string hex_text(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%lx", static_cast<unsigned long>(value));
  return text;
}

std::optional<std::uint32_t> parse_hex32(std::string_view text) {
  if (text.size() < 3 || text.size() > 10 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X'))
    return std::nullopt;
  std::uint32_t value = 0;
  for (const char c : text.substr(2)) {
    unsigned digit;
    if (c >= '0' && c <= '9')
      digit = static_cast<unsigned>(c - '0');
    else if (c >= 'a' && c <= 'f')
      digit = static_cast<unsigned>(c - 'a' + 10);
    else if (c >= 'A' && c <= 'F')
      digit = static_cast<unsigned>(c - 'A' + 10);
    else
      return std::nullopt;
    value = value << 4 | digit;
  }
  return value;
}

}  // namespace callbench
