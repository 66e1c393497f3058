#include "SystemServices.h"

#include <QRandomGenerator>
#include <QTime>

#include <bit>
#include <cstdio>

namespace morvane {
namespace {

// A float in [0, 1) holds 24 significant bits; more would round some draws up to 1.
constexpr int kDrawBits = 24;
constexpr float kDrawScale = 1.0F / static_cast<float>(1U << kDrawBits);

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
  seed_bits_ = std::bit_cast<std::uint32_t>(seed);
  next_word_ = kBlockWords;  // never reuse words fetched before the reseed
}

float SystemServices::NextRandom() {
  if (next_word_ == kBlockWords) Refill();
  const std::uint32_t bits = (block_[next_word_++] ^ seed_bits_) >> (32 - kDrawBits);
  return static_cast<float>(bits) * kDrawScale;
}

void SystemServices::Refill() {
  QRandomGenerator::system()->fillRange(block_.data(), static_cast<qsizetype>(block_.size()));
  next_word_ = 0;
}

}  // namespace morvane
