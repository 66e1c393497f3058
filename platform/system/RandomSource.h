#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace morvane {

// Uniform draws in [0, 1) from the operating system's cryptographic generator.
//
// Bytes come in blocks: where libsodium is available, each block is its ChaCha20 generator's output
// for a fresh 256-bit seed from the operating system, which is several times quicker than asking
// the kernel for every byte; elsewhere the operating system fills the block itself. Reseed mixes a
// seed in by XOR, which keeps every draw uniform and can never make the output predictable: a key
// must not be recomputable from the moment it was made.
//
// Bytes read 0 once they are handed out, and a seed once it has made its block, so that a memory
// image taken after a key was made holds nothing it was made from (as OpenBSD's arc4random does).
class RandomSource {
 public:
  RandomSource();

  void Reseed(float seed);

  // The next draw: 24 random bits, the most that a float in [0, 1) holds exactly. Inline, since
  // making a key takes a draw for every character tried.
  float Next() {
    if (next_byte_ == kBlockBytes) Refill();
    const float draw = DrawAt(next_byte_);
    std::memset(block_.data() + next_byte_, 0, kBytesPerDraw);
    next_byte_ += kBytesPerDraw;
    return draw;
  }

  // The next draws.size() draws, the same as calling Next for each.
  void Fill(std::span<float> draws);

  // The block that draws are taken from, for tests: the bytes handed out so far read 0.
  std::span<const unsigned char> Block() const { return {block_.data(), kBlockBytes}; }

 private:
  // Three bytes, read as one word of four and masked: the block has a spare byte at its end.
  float DrawAt(std::size_t byte) const {
    std::uint32_t word = 0;
    std::memcpy(&word, block_.data() + byte, sizeof word);
    return static_cast<float>((word & kDrawMask) ^ seed_bits_) * kDrawScale;
  }
  void Refill();

  static constexpr std::size_t kBytesPerDraw = 3;
  static constexpr std::uint32_t kDrawMask = (1U << 24U) - 1U;
  static constexpr float kDrawScale = 1.0F / static_cast<float>(1U << 24U);
  static constexpr std::size_t kBlockBytes = 21'846 * kBytesPerDraw;  // about 64 KiB
  std::vector<unsigned char> block_ = std::vector<unsigned char>(kBlockBytes + 1);
  std::size_t next_byte_ = kBlockBytes;  // the block starts empty
  std::uint32_t seed_bits_ = 0;
};

}  // namespace morvane
