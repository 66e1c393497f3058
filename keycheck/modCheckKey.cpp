#include "modCheckKey.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>

namespace morvane {
namespace {

enum ClassFlag : unsigned char {
  kUpper = 1U << 0U,
  kLower = 1U << 1U,
  kDigit = 1U << 2U,
  kSpecial = 1U << 3U,
};

// Classes by byte. Every character beyond ASCII has a code of 128 or more, or the stand-in 63,
// and both are special, so a UTF-8 key can be classified byte by byte. Codes 91-96 belong to no
// class at all.
constexpr std::array<unsigned char, 256> kClassOfByte = [] {
  std::array<unsigned char, 256> table{};
  for (unsigned byte = 0; byte < 256; ++byte) {
    if (byte >= 'A' && byte <= 'Z') {
      table[byte] = kUpper;
    } else if (byte >= 'a' && byte <= 'z') {
      table[byte] = kLower;
    } else if (byte >= '0' && byte <= '9') {
      table[byte] = kDigit;
    } else if (byte < 48 || (byte >= 58 && byte <= 64) || byte > 122) {
      table[byte] = kSpecial;
    }
  }
  return table;
}();

struct KeyTraits {
  std::size_t length = 0;  // in characters
  unsigned classes = 0;    // ClassFlag bits
};

KeyTraits ScanKey(std::string_view key) {
  KeyTraits traits;
  for (const char c : key) {
    const auto byte = static_cast<unsigned char>(c);
    traits.classes |= kClassOfByte[byte];
    traits.length += (byte & 0xC0U) != 0x80U;  // continuation bytes start no character
  }
  return traits;
}

bool HasPeriod(std::string_view key, std::size_t period) {
  return std::memcmp(key.data(), key.data() + period, key.size() - period) == 0;
}

// True when the key is one shorter block written two or more times in full.
//
// Such a block's length divides the key's length, and a key of k copies is also k/q copies of a
// longer block for each prime q dividing k; so testing the periods n/q for the primes q dividing
// n decides it. Each test is a single comparison pass, and n has at most 15 distinct prime
// factors, so the whole test stays linear and needs no memory. In valid UTF-8 a copy can only
// start on a character boundary, so comparing bytes gives the same answer as characters.
bool IsWholeCopiesOfShorterBlock(std::string_view key) {
  const std::size_t n = key.size();
  std::size_t unfactored = n;
  for (std::size_t prime = 2; prime * prime <= unfactored; ++prime) {
    if (unfactored % prime != 0) continue;
    while (unfactored % prime == 0) unfactored /= prime;
    if (HasPeriod(key, n / prime)) return true;
  }
  return unfactored > 1 && HasPeriod(key, n / unfactored);
}

// score x 1.5 rounded to the nearest integer, ties to even, for score >= 0.
long long AddHalf(long long score) {
  const long long tripled = score * 3;
  const long long floor = tripled / 2;
  const bool tie = tripled % 2 != 0;
  return tie && floor % 2 != 0 ? floor + 1 : floor;
}

constexpr long long kFullScore = 100;
// From this length on every key that is no repetition reaches the cap on length alone.
constexpr std::size_t kLengthForFullScore = 25;

}  // namespace

Score CheckKey(std::string_view key) {
  const KeyTraits traits = ScanKey(key);
  if (traits.length < 3) return 0;
  if (IsWholeCopiesOfShorterBlock(key)) return 0;

  // The bonuses only ever raise the score, so a longer key would end at the cap as well; bounding
  // the length keeps the arithmetic far from overflow.
  long long score = static_cast<long long>(std::min(traits.length, kLengthForFullScore)) * 4;
  const bool has_upper = (traits.classes & kUpper) != 0;
  const bool has_lower = (traits.classes & kLower) != 0;
  if (has_upper && has_lower) score = AddHalf(score);
  if ((traits.classes & kDigit) != 0 && (has_upper || has_lower)) score = AddHalf(score);
  if ((traits.classes & kSpecial) != 0) score = AddHalf(score);
  return static_cast<Score>(std::min(score, kFullScore));
}

}  // namespace morvane
