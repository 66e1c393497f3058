#pragma once

#include "PlatformServices.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace morvane {

// The production services for programs without a window.
//
// Random numbers come from the operating system's cryptographic generator, fetched in blocks.
// Reseed mixes the time of day in by XOR, which keeps every draw uniform and can never make the
// output predictable: a key must not be recomputable from the moment it was made.
class SystemServices : public PlatformServices {
 public:
  SystemServices() = default;

  // Without a window there is nobody to click OK: the box goes to standard error.
  void ShowMessageBox(MessageBoxStyle style, std::string_view prompt,
                      std::string_view title) override;
  float SecondsSinceMidnight() override;
  void Reseed(float seed) override;
  float NextRandom() override;

 private:
  void Refill();

  // Each draw takes three bytes: the 24 bits that a float in [0, 1) can hold exactly.
  static constexpr std::size_t kBytesPerDraw = 3;
  static constexpr std::size_t kBlockBytes = 1024 * kBytesPerDraw;
  std::array<unsigned char, kBlockBytes> block_{};
  std::size_t next_byte_ = kBlockBytes;  // the block starts empty
  std::uint32_t seed_bits_ = 0;
};

}  // namespace morvane
