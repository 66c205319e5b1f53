#include "program_image.h"

#include <cstdio>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include "programs.h"

namespace callbench_test {
namespace {

// "_Sleep@4" -> "Sleep" on Windows; ELF names are plain already.
std::string PlainName(std::string name, bool pe) {
  if (!pe) return name;
  if (!name.empty() && name[0] == '_') name.erase(0, 1);
  const size_t at = name.rfind('@');
  if (at != std::string::npos && at + 1 < name.size() &&
      name.find_first_not_of("0123456789", at + 1) == std::string::npos) {
    name.erase(at);
  }
  return name;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace

uint32_t ParseHex(const std::string& text) {
  size_t used = 0;
  const unsigned long value = std::stoul(text, &used, 16);
  if (used != text.size()) throw std::runtime_error("not hexadecimal: " + text);
  return static_cast<uint32_t>(value);
}

std::string HexText(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%x", value);
  return text;
}

std::string ToolOutput(const std::vector<std::string>& command) {
  callbench::ProcessResult result;
  const std::string failure = RunCommand(command, result);
  if (!failure.empty()) throw std::runtime_error(command[0] + ": " + failure + ": " + result.err);
  return result.out;
}

ProgramImage::ProgramImage(const std::string& path) : path_(path) {
  ReadCode();
  ReadSymbols();
  ReadData();
}

void ProgramImage::ReadSymbols() {
  for (const std::string& line : Lines(ToolOutput({"nm", path_}))) {
    std::istringstream fields(line);
    std::string address, type, name;
    if (!(fields >> address >> type >> name) || type == "a" || type == "A") continue;
    const uint32_t value = ParseHex(address);
    const std::string plain = PlainName(name, is_pe_);
    symbols_.emplace(plain, value);
    if (type == "T") code_symbols_.emplace(value, plain);
  }
}

// Lines of "objdump -d -w": "  401000:\t89 e6                \tmov    esi,esp".
void ProgramImage::ReadCode() {
  const std::string listing = ToolOutput({"objdump", "-d", "-w", "-z", "-M", "intel", "-j", ".text", path_});
  is_pe_ = listing.find("file format pei-i386") != std::string::npos;
  bool first = true;
  for (const std::string& line : Lines(listing)) {
    const size_t colon = line.find(":\t");
    if (line.empty() || line[0] != ' ' || colon == std::string::npos) continue;
    const size_t start = line.find_first_not_of(' ');
    const uint32_t address = ParseHex(line.substr(start, colon - start));
    const size_t bytes_end = line.find('\t', colon + 2);
    std::istringstream bytes(line.substr(colon + 2, bytes_end - colon - 2));
    if (first) text_start_ = address;
    first = false;
    if (address != text_end()) throw std::runtime_error("gap in the disassembly at " + HexText(address));
    for (std::string byte; bytes >> byte;) text_.push_back(static_cast<uint8_t>(ParseHex(byte)));
    instructions_[address] = bytes_end == std::string::npos ? "" : line.substr(bytes_end + 1);
  }
  if (text_.empty()) throw std::runtime_error("no code found in " + path_);
}

// Lines of "objdump -s": " 806d000 096d696c 6c696379 636c6573 20666f72  .millicycles for",
// the hex columns 35 characters wide.
void ProgramImage::ReadData() {
  const std::string dump = ToolOutput({"objdump", "-s", "-j", ".rodata", "-j", ".rdata", path_});
  std::vector<uint8_t>* section = nullptr;
  for (const std::string& line : Lines(dump)) {
    if (line.rfind("Contents of section", 0) == 0) {
      section = nullptr;
      continue;
    }
    if (line.empty() || line[0] != ' ') continue;
    const size_t address_end = line.find(' ', 1);
    const uint32_t address = ParseHex(line.substr(1, address_end - 1));
    if (section == nullptr) section = &data_[address];
    std::istringstream columns(line.substr(address_end + 1, 35));
    for (std::string group; columns >> group;) {
      for (size_t i = 0; i + 1 < group.size(); i += 2) {
        section->push_back(static_cast<uint8_t>(ParseHex(group.substr(i, 2))));
      }
    }
  }
}

uint32_t ProgramImage::Symbol(const std::string& name) const {
  const auto found = symbols_.find(name);
  if (found == symbols_.end()) throw std::runtime_error("no symbol " + name + " in " + path_);
  return found->second;
}

std::string ProgramImage::CodeSymbolAt(uint32_t address) const {
  const auto found = code_symbols_.find(address);
  return found == code_symbols_.end() ? "" : found->second;
}

std::vector<uint8_t> ProgramImage::Code(uint32_t address, size_t count) const {
  if (address < text_start_ || address + count > text_end()) {
    throw std::runtime_error(std::to_string(count) + " bytes at " + HexText(address) + " are not all in .text");
  }
  const auto first = text_.begin() + (address - text_start_);
  return std::vector<uint8_t>(first, first + static_cast<ptrdiff_t>(count));
}

std::string ProgramImage::InstructionText(uint32_t address) const {
  const auto found = instructions_.find(address);
  return found == instructions_.end() ? "(not an instruction start)" : found->second;
}

std::map<uint32_t, std::string> ProgramImage::CallSites() const {
  std::map<uint32_t, std::string> sites;
  for (auto it = instructions_.begin(); it != instructions_.end(); ++it) {
    const auto next = std::next(it);
    const uint32_t end = next == instructions_.end() ? text_end() : next->first;
    const size_t at = it->first - text_start_;
    if (end - it->first != 5 || text_[at] != 0xE8) continue;
    const uint32_t displacement =
        text_[at + 1] | text_[at + 2] << 8 | text_[at + 3] << 16 | uint32_t{text_[at + 4]} << 24;
    const std::string callee = CodeSymbolAt(end + displacement);
    if (!callee.empty()) sites[end] = callee;
  }
  return sites;
}

std::string ProgramImage::Text(uint32_t address) const {
  for (const auto& [start, bytes] : data_) {
    if (address < start || address >= start + bytes.size()) continue;
    std::string text;
    for (size_t i = address - start; i < bytes.size() && bytes[i] != 0; ++i) {
      text += static_cast<char>(bytes[i]);
    }
    return text;
  }
  throw std::runtime_error("no read-only data at " + HexText(address));
}

std::vector<uint8_t> ProgramImage::Data(uint32_t address, size_t count) const {
  for (const auto& [start, bytes] : data_) {
    if (address < start || address + count > start + bytes.size()) continue;
    const auto first = bytes.begin() + (address - start);
    return std::vector<uint8_t>(first, first + static_cast<ptrdiff_t>(count));
  }
  throw std::runtime_error(std::to_string(count) + " bytes at " + HexText(address) +
                           " are not all in one read-only data section");
}

}  // namespace callbench_test
