#include "run_benchmark_code.h"

#include <cstdio>
#include <sstream>
#include <stdexcept>

namespace callbench_test {

const std::vector<std::string> kFillerForms = {
    "8D A4 24 00 00 00 00", "8D 9B 00 00 00 00", "8D 74 26 00", "8D 49 00", "66 90", "90"};

namespace {

// Walks the code from an address. Patterns are hex bytes in which "~"
// stands for a 32-bit little-endian word and "^" for one byte; the values
// found there are returned in order.
class Cursor {
 public:
  Cursor(const ProgramImage& image, uint32_t at) : image_(image), at_(at) {}

  uint32_t at() const { return at_; }
  // Figure buffers and texts met so far, in code order.
  const std::vector<uint32_t>& buffers() const { return buffers_; }
  const std::vector<uint32_t>& texts() const { return texts_; }
  void SetContext(std::string context) { context_ = std::move(context); }

  bool Peek(const std::string& pattern) const {
    uint32_t at = at_;
    std::vector<uint32_t> values;
    return image_.IsInstructionStart(at_) && TryMatch(pattern, at, values);
  }

  std::vector<uint32_t> Match(const std::string& pattern) {
    if (!image_.IsInstructionStart(at_)) Fail("an instruction start before " + pattern);
    std::vector<uint32_t> values;
    uint32_t at = at_;
    if (!TryMatch(pattern, at, values)) Fail(pattern);
    at_ = at;
    return values;
  }

  // Matches, and requires the words found to be these.
  void Expect(const std::string& pattern, const std::vector<uint32_t>& words = {}) {
    const uint32_t start = at_;
    const std::vector<uint32_t> found = Match(pattern);
    for (size_t i = 0; i < words.size(); ++i) {
      if (found.at(i) != words[i]) {
        at_ = start;
        Fail(pattern + " with word " + std::to_string(i + 1) + " = " + HexText(words[i]) + ", not " +
             HexText(found[i]));
      }
    }
  }

  // A direct call ("E8 rel32"); returns the plain name of its target.
  std::string Call() {
    const uint32_t start = at_;
    const uint32_t target = at_ + 5 + Match("E8 ~")[0];
    const std::string name = image_.CodeSymbolAt(target);
    if (name.empty()) {
      at_ = start;
      Fail("a call of a named procedure, not of " + HexText(target));
    }
    return name;
  }

  void ExpectCall(const std::string& procedure) {
    const uint32_t start = at_;
    const std::string name = Call();
    if (name != procedure) {
      at_ = start;
      Fail("a call of " + procedure + ", not of " + name);
    }
  }

  // "push offset text"; returns the text.
  std::string PushedText() {
    const uint32_t address = Match("68 ~")[0];
    texts_.push_back(address);
    return image_.Text(address);
  }

  // "push offset text; call PrintText"; returns the text.
  std::string PrintedLiteral() {
    const std::string text = PushedText();
    ExpectCall("PrintText");
    return text;
  }

  // "push offset buffer; push eax; call FormatSigned"; returns the buffer.
  uint32_t FormattedFigure() {
    const uint32_t buffer = Match("68 ~ 50")[0];
    ExpectCall("FormatSigned");
    buffers_.push_back(buffer);
    return buffer;
  }

  // "push offset buffer; push eax; call FormatSigned; push offset buffer; call PrintText".
  void PrintedFigure() {
    const uint32_t buffer = FormattedFigure();
    Expect("68 ~", {buffer});
    ExpectCall("PrintText");
  }

  // No-op forms up to the instruction that begins with next; their lengths.
  std::vector<int> Filler(const std::string& next) {
    std::vector<int> lengths;
    while (!Peek(next)) {
      bool found = false;
      for (const std::string& form : kFillerForms) {
        if (Peek(form)) {
          Match(form);
          lengths.push_back(static_cast<int>((form.size() + 1) / 3));
          found = true;
          break;
        }
      }
      if (!found) Fail("a no-op filler form or " + next);
    }
    return lengths;
  }

  [[noreturn]] void Fail(const std::string& expected) const {
    std::ostringstream message;
    message << image_.path() << ": " << context_ << ": at " << HexText(at_) << " ("
            << image_.InstructionText(at_) << ") expected " << expected;
    throw std::runtime_error(message.str());
  }

 private:
  bool TryMatch(const std::string& pattern, uint32_t& at, std::vector<uint32_t>& values) const {
    std::istringstream tokens(pattern);
    for (std::string token; tokens >> token;) {
      const size_t size = token == "~" ? 4 : 1;
      if (at < image_.text_start() || at + size > image_.text_end()) return false;
      const std::vector<uint8_t> bytes = image_.Code(at, size);
      at += static_cast<uint32_t>(size);
      if (token == "~") {
        values.push_back(bytes[0] | bytes[1] << 8 | bytes[2] << 16 | uint32_t{bytes[3]} << 24);
      } else if (token == "^") {
        values.push_back(bytes[0]);
      } else if (bytes[0] != std::stoul(token, nullptr, 16)) {
        return false;
      }
    }
    return true;
  }

  const ProgramImage& image_;
  uint32_t at_;
  std::string context_ = "RunBenchmark";
  std::vector<uint32_t> buffers_, texts_;
};

struct Variables {
  uint32_t tick_total, pass_count, passes_left;
};

MeasurementCode DecodeMeasurement(Cursor& code, const Variables& v) {
  MeasurementCode m;
  code.Expect("C7 05 ~ 88 13 00 00", {v.pass_count});
  code.ExpectCall("GetCurrentProcess");
  code.Expect("68 80 00 00 00 50");
  code.ExpectCall("SetPriorityClass");

  code.Expect("33 C0 0F A2 0F 31 52 50");
  code.Expect("C7 05 ~ 88 13 00 00", {v.passes_left});
  code.Expect("33 C0 0F A2");
  m.reference_filler = code.Filler("83 2D");
  m.reference_head = code.at();
  code.Expect("83 2D ~ 01 75 F7", {v.passes_left});
  code.Expect("33 C0 0F A2 0F 31 59 5B 29 C8 19 DA 52 50");

  code.Expect("33 C0 0F A2 0F 31 52 50");
  code.Expect("C7 05 ~ 88 13 00 00", {v.passes_left});
  code.Expect("33 C0 0F A2");
  m.test_filler = code.Filler("6A 03");
  m.test_head = code.at();
  while (code.Peek("6A 03 6A 02 6A 01 E8")) {
    code.Expect("6A 03 6A 02 6A 01");
    const std::string procedure = code.Call();
    if (procedure == "TheOne") code.Expect("83 C4 0C");
    ++m.work_units[procedure];
  }
  code.Expect("83 2D ~ 01", {v.passes_left});
  const uint32_t jump = code.at();
  const uint32_t target = jump + 6 + code.Match("0F 85 ~")[0];
  if (target != m.test_head) {
    code.Fail("the near jnz at " + HexText(jump) + " to go back to the loop head " + HexText(m.test_head) +
              ", not to " + HexText(target));
  }
  code.Expect("33 C0 0F A2 0F 31 59 5B 29 C8 19 DA 59 5B 29 C8 19 DA");
  code.Expect("A3 ~ 89 15 ~", {v.tick_total, v.tick_total + 4});
  code.ExpectCall("GetCurrentProcess");
  code.Expect("6A 20 50");
  code.ExpectCall("SetPriorityClass");
  code.Expect("9B DB E3 DF 2D ~ DB 05 ~ DE F9 DF 3D ~ A1 ~",
              {v.tick_total, v.pass_count, v.tick_total, v.tick_total});

  code.PrintedFigure();
  m.label = code.PrintedLiteral();
  return m;
}

SizeLineCode DecodeSizeLine(Cursor& code) {
  SizeLineCode line;
  code.Expect("6A 03 6A 02 6A 01");
  line.procedure = code.Call();
  if (line.procedure == "TheOne") code.Expect("83 C4 0C");
  line.heading = code.PrintedLiteral();
  line.separator = code.PrintedLiteral();
  line.size_to = code.Match("B8 ~")[0];
  line.size_from = code.Match("2D ~")[0];
  code.PrintedFigure();
  line.line_end = code.PrintedLiteral();
  return line;
}

}  // namespace

RunBenchmarkCode DecodeRunBenchmark(const ProgramImage& image) {
  const Variables variables = {image.Symbol("TickTotal"), image.Symbol("PassCount"),
                               image.Symbol("PassesLeft")};
  RunBenchmarkCode result;
  Cursor code(image, image.Symbol("RunBenchmark"));
  code.SetContext("entry");
  result.entry = code.Peek("89 E6") ? "89 E6" : "8B F4";
  code.Expect(result.entry);

  // Sweeps until the size report's first call.
  while (!code.Peek("6A 03 6A 02 6A 01 E8")) {
    SweepCode sweep;
    code.SetContext("sweep " + std::to_string(result.sweeps.size() + 1));
    sweep.pause_ms = static_cast<int>(code.Match("6A ^")[0]);
    code.ExpectCall("Sleep");
    while (code.Peek("C7 05")) {
      code.SetContext("sweep " + std::to_string(result.sweeps.size() + 1) + ", measurement " +
                      std::to_string(sweep.measurements.size() + 1));
      sweep.measurements.push_back(DecodeMeasurement(code, variables));
    }
    result.sweeps.push_back(sweep);
  }

  code.SetContext("size report");
  while (code.Peek("6A 03 6A 02 6A 01 E8")) result.size_lines.push_back(DecodeSizeLine(code));

  // The stack check: the notice is skipped when ESP is back at its entry value.
  code.SetContext("stack check");
  code.Expect("89 F0 29 E0");
  const uint32_t skip_from = code.at() + 2;
  const uint32_t balanced = skip_from + static_cast<int8_t>(code.Match("74 ^")[0]);
  const uint32_t buffer = code.FormattedFigure();
  code.Expect("6A 00");
  result.stack_notice_caption = code.PushedText();
  code.Expect("68 ~ 6A 00", {buffer});
  code.ExpectCall("MessageBoxA");
  if (code.at() != balanced) {
    code.Fail("the jz before " + HexText(skip_from) + " to skip just the notice, to here, not to " +
              HexText(balanced));
  }
  code.Expect("6A 00");
  code.ExpectCall("ExitProcess");
  result.end = code.at();
  result.figure_buffers = code.buffers();
  result.texts = code.texts();
  return result;
}

std::string HexBytes(const std::vector<uint8_t>& bytes) {
  std::string text;
  for (const uint8_t byte : bytes) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02X", byte);
    if (!text.empty()) text += ' ';
    text += hex;
  }
  return text;
}

}  // namespace callbench_test
