// A finished program as binutils show it: symbols from nm, the code of
// .text from objdump's disassembly, read-only data from objdump's dump.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace callbench_test {

// Standard output of a tool that must succeed.
std::string ToolOutput(const std::vector<std::string>& command);

// Hexadecimal as the tools print it, "0x" prefix optional; throws on anything else.
uint32_t ParseHex(const std::string& text);
std::string HexText(uint32_t value);  // "0x401000"

class ProgramImage {
 public:
  explicit ProgramImage(const std::string& path);

  const std::string& path() const { return path_; }
  bool is_pe() const { return is_pe_; }

  // By plain name: without the leading underscore and "@<bytes>" suffix
  // that 32-bit Windows adds. Throws if there is none.
  uint32_t Symbol(const std::string& name) const;
  // Plain name of a global code symbol at exactly this address, or "".
  std::string CodeSymbolAt(uint32_t address) const;

  uint32_t text_start() const { return text_start_; }
  uint32_t text_end() const { return text_start_ + static_cast<uint32_t>(text_.size()); }
  // Throws when the range is not inside .text.
  std::vector<uint8_t> Code(uint32_t address, size_t count) const;
  bool IsInstructionStart(uint32_t address) const { return instructions_.count(address) != 0; }
  // objdump's rendering of the instruction at address, for messages.
  std::string InstructionText(uint32_t address) const;
  // Every direct call (E8 rel32) in .text: its return address -> the callee's plain name.
  std::map<uint32_t, std::string> CallSites() const;

  // The NUL-terminated text at address in the read-only data.
  std::string Text(uint32_t address) const;
  // Throws when the range is not inside one read-only data section.
  std::vector<uint8_t> Data(uint32_t address, size_t count) const;

 private:
  void ReadSymbols();
  void ReadCode();
  void ReadData();

  std::string path_;
  bool is_pe_ = false;
  std::map<std::string, uint32_t> symbols_;
  std::map<uint32_t, std::string> code_symbols_;
  uint32_t text_start_ = 0;
  std::vector<uint8_t> text_;
  std::map<uint32_t, std::string> instructions_;   // address -> objdump's text
  std::map<uint32_t, std::vector<uint8_t>> data_;  // section start -> contents
};

}  // namespace callbench_test
