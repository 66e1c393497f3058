#include "SystemServices.h"

#include <QRandomGenerator>
#include <QTime>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <span>

#if defined(__linux__)
#include <sys/random.h>
#endif

namespace morvane {
namespace {

constexpr int kDrawBits = 24;
constexpr float kDrawScale = 1.0F / static_cast<float>(1U << kDrawBits);

// Fills `bytes` from the operating system's cryptographic generator.
void FillFromOperatingSystem(std::span<unsigned char> bytes) {
#if defined(__linux__)
  // The kernel's generator directly: Qt's system generator prefers the CPU's RDRAND, which is
  // half as fast on the machines we measured, and key generation spends its time here.
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

void SystemServices::ShowMessageBox(MessageBoxStyle /*style*/, std::string_view prompt,
                                    std::string_view title) {
  std::fprintf(stderr, "%.*s\n%.*s\n", static_cast<int>(title.size()), title.data(),
               static_cast<int>(prompt.size()), prompt.data());
}

float SystemServices::SecondsSinceMidnight() {
  return static_cast<float>(QTime::currentTime().msecsSinceStartOfDay()) / 1000.0F;
}

void SystemServices::Reseed(float seed) {
  seed_bits_ = std::bit_cast<std::uint32_t>(seed) & ((1U << kDrawBits) - 1U);
  next_byte_ = kBlockBytes;  // never reuse bytes fetched before the reseed
}

float SystemServices::NextRandom() {
  if (next_byte_ == kBlockBytes) Refill();
  const unsigned char* draw = block_.data() + next_byte_;
  next_byte_ += kBytesPerDraw;
  const std::uint32_t bits =
      (draw[0] | (std::uint32_t{draw[1]} << 8U) | (std::uint32_t{draw[2]} << 16U)) ^ seed_bits_;
  return static_cast<float>(bits) * kDrawScale;
}

void SystemServices::Refill() {
  FillFromOperatingSystem(block_);
  next_byte_ = 0;
}

}  // namespace morvane
