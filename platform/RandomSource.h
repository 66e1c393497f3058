#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace morvane {

// Uniform draws in [0, 1) from the operating system's cryptographic generator, fetched in blocks.
//
// Reseed mixes a seed in by XOR, which keeps every draw uniform and can never make the output
// predictable: a key must not be recomputable from the moment it was made.
class RandomSource {
 public:
  RandomSource() = default;

  void Reseed(float seed);

  // The next draw: 24 random bits, the most that a float in [0, 1) holds exactly.
  float Next();

 private:
  void Refill();

  static constexpr std::size_t kBytesPerDraw = 3;
  // Large blocks: each read of the kernel's generator costs a system call, and generating keys
  // spends most of its time here.
  static constexpr std::size_t kBlockBytes = 21'846 * kBytesPerDraw;  // about 64 KiB
  std::vector<unsigned char> block_ = std::vector<unsigned char>(kBlockBytes);
  std::size_t next_byte_ = kBlockBytes;  // the block starts empty
  std::uint32_t seed_bits_ = 0;
};

}  // namespace morvane
