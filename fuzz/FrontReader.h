#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace morvane::fuzzing {

// Reads the fuzzer's bytes from the front, so that a seed file reads in the order it is used
// (libFuzzer's FuzzedDataProvider takes integers from the back).
class FrontReader {
 public:
  explicit FrontReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  bool empty() const { return next_ == bytes_.size(); }

  // The next byte, or 0 once the input is used up.
  std::uint8_t Byte() { return empty() ? 0 : bytes_[next_++]; }

  // A number in [low, high] from as many bytes as the range needs.
  std::uint32_t InRange(std::uint32_t low, std::uint32_t high) {
    const std::uint32_t span = high - low;
    std::uint32_t value = 0;
    for (std::uint32_t covered = span; covered != 0; covered >>= 8U) {
      value = (value << 8U) | Byte();
    }
    return span == UINT32_MAX ? value : low + value % (span + 1);
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t next_ = 0;
};

}  // namespace morvane::fuzzing
