#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/conditions.hpp"
#include "core/microarchitectures.hpp"

namespace callbench {

// The identity a CPUID vendor string and signature (leaf 1 EAX) stand for, as
// the vendors define the display values: the family is the base family, plus
// the extended family when the base is 0xF; the model takes the extended model
// as its high digit when the base family is 0xF, and for Intel (and others
// following Intel) also when it is 6, which AMD does not. The microarchitecture
// is looked up; the microcode is left unknown, for the system to give.
ProcessorIdentity identify_processor(const std::string& vendor, std::uint32_t signature);

// "Zen 4, AMD family 25 (0x19) model 17 (0x11) stepping 1, microcode 0x1000065".
std::string identity_text(const ProcessorIdentity& identity);

// What names the processor in few words: its microarchitecture, else its
// vendor, family and model ("Intel family 6 model 190").
std::string identity_tag(const ProcessorIdentity& identity);

// Whether two identities are of different processors: another vendor or
// signature, or microcode revisions that both know and that differ.
bool different_processors(const ProcessorIdentity& a, const ProcessorIdentity& b);

// "0x1000065", lower case without leading zeros, as Linux shows a revision.
std::string hex_text(std::uint32_t value);
// "0x" and one to eight hexadecimal digits, else none.
std::optional<std::uint32_t> parse_hex32(std::string_view text);

}  // namespace callbench
