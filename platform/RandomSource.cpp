#include "RandomSource.h"

#include <QRandomGenerator>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstring>
#include <span>

#if defined(__linux__)
#include <sys/random.h>
#endif
#if MORVANE_HAVE_SODIUM
#include <sodium.h>
#endif

namespace morvane {
namespace {

// Fills `bytes` from the operating system's cryptographic generator.
void FillFromOperatingSystem(std::span<unsigned char> bytes) {
#if defined(__linux__)
  // The kernel's generator directly: Qt's system generator prefers the CPU's RDRAND, which is
  // half as fast on the machines we measured.
  std::size_t filled = 0;
  while (filled < bytes.size()) {
    const ssize_t got = getrandom(bytes.data() + filled, bytes.size() - filled, 0);
    if (got > 0) {
      filled += static_cast<std::size_t>(got);
    } else if (errno != EINTR) {
      break;  // not expected since Linux 3.17; Qt's generator below covers it
    }
  }
  if (filled == bytes.size()) return;
#endif
  std::array<quint32, 64> words{};
  for (std::size_t offset = 0; offset < bytes.size(); offset += sizeof words) {
    QRandomGenerator::system()->fillRange(words.data(), static_cast<qsizetype>(words.size()));
    const std::size_t count = std::min(sizeof words, bytes.size() - offset);
    std::memcpy(bytes.data() + offset, words.data(), count);
  }
}

}  // namespace

RandomSource::RandomSource() {
#if MORVANE_HAVE_SODIUM
  // Picks the fastest ChaCha20 for this processor, and may be called again. Should it fail, the
  // portable ChaCha20 still serves, only more slowly.
  [[maybe_unused]] const int status = sodium_init();
#endif
}

void RandomSource::Reseed(float seed) {
  seed_bits_ = std::bit_cast<std::uint32_t>(seed) & kDrawMask;
  next_byte_ = kBlockBytes;  // never reuse bytes fetched before the reseed
}

void RandomSource::Fill(std::span<float> draws) {
  std::size_t done = 0;
  while (done < draws.size()) {
    if (next_byte_ == kBlockBytes) Refill();
    // As many as the block still holds, in a loop without the check for an empty block.
    const std::size_t count =
        std::min(draws.size() - done, (kBlockBytes - next_byte_) / kBytesPerDraw);
    for (std::size_t i = 0; i < count; ++i)
      draws[done + i] = DrawAt(next_byte_ + i * kBytesPerDraw);
    next_byte_ += count * kBytesPerDraw;
    done += count;
  }
}

void RandomSource::Refill() {
#if MORVANE_HAVE_SODIUM
  std::array<unsigned char, randombytes_SEEDBYTES> seed{};
  FillFromOperatingSystem(seed);
  randombytes_buf_deterministic(block_.data(), kBlockBytes, seed.data());
  sodium_memzero(seed.data(), seed.size());
#else
  FillFromOperatingSystem(std::span(block_.data(), kBlockBytes));
#endif
  next_byte_ = 0;
}

}  // namespace morvane
