#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace callbench {

// The benchmark measures these procedures, always in this order.
inline constexpr std::size_t kProcedures = 4;
inline constexpr std::size_t kSweeps = 3;
inline constexpr std::array<std::string_view, kProcedures> kProcedureNames = {"TestNoFrameA", "TestNoFrameB",
                                                                              "TheOne", "TestWithFrame"};
// The headings of the size report, padded by the benchmark to 17 characters.
inline constexpr std::array<std::string_view, kProcedures> kSizeHeadings = {
    "Size no frame A: ", "Size no frame B: ", "Size TheOne:     ", "Size with frame: "};
// Every other procedure is compared with this one.
inline constexpr std::size_t kReference = 2;
inline constexpr std::string_view kReferenceName = kProcedureNames[kReference];

using Sweep = std::array<std::int32_t, kProcedures>;
using Figures = std::array<Sweep, kSweeps>;
using Sizes = std::array<std::int32_t, kProcedures>;

// What one run of the benchmark printed, once it is known to be well formed.
struct RunOutput {
  Figures figures{};
  Sizes sizes{};
};

}  // namespace callbench
