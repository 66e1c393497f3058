#include "RandomSource.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>

#if defined(_WIN32)
// bcrypt.h needs the types of windows.h.
#include <windows.h>

#include <bcrypt.h>
#elif defined(__APPLE__)
#include <stdlib.h>  // arc4random_buf
#else
#include <sys/random.h>

#include <cerrno>
#endif
#if MORVANE_HAVE_SODIUM
#include <sodium.h>
#endif

namespace morvane {
namespace {

// A password generator without its random source must not make keys at all.
[[noreturn]] void NoRandomSource() {
  std::fputs("The operating system's random generator failed; no key can be made safely.\n",
             stderr);
  std::abort();
}

// Fills `bytes` from the operating system's cryptographic generator.
void FillFromOperatingSystem(std::span<unsigned char> bytes) {
#if defined(_WIN32)
  if (!BCRYPT_SUCCESS(BCryptGenRandom(nullptr, bytes.data(), static_cast<ULONG>(bytes.size()),
                                      BCRYPT_USE_SYSTEM_PREFERRED_RNG))) {
    NoRandomSource();
  }
#elif defined(__APPLE__)
  arc4random_buf(bytes.data(), bytes.size());  // cannot fail
#else
  std::size_t filled = 0;
  while (filled < bytes.size()) {
    const ssize_t got = getrandom(bytes.data() + filled, bytes.size() - filled, 0);
    if (got > 0) {
      filled += static_cast<std::size_t>(got);
    } else if (errno != EINTR) {
      NoRandomSource();  // no getrandom: a kernel older than 3.17
    }
  }
#endif
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
    std::memset(block_.data() + next_byte_, 0, count * kBytesPerDraw);
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
