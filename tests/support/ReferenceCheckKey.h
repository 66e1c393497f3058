#pragma once

// The quality score written the plain way: character by character over code points, with the
// repetition test as a loop over every period. Quadratic, so only for short keys; the tests hold
// the fast scorer to it.

#include "CharacterSet.h"

#include <cmath>
#include <cstdint>
#include <string_view>
#include <vector>

namespace morvane::reference {

// Decodes valid UTF-8 into code points.
inline std::vector<char32_t> CodePoints(std::string_view utf8) {
  std::vector<char32_t> points;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const std::size_t size = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t point = size == 1 ? lead : lead & (0x7FU >> size);
    for (std::size_t k = 1; k < size && i + k < utf8.size(); ++k) {
      point = (point << 6U) | (static_cast<unsigned char>(utf8[i + k]) & 0x3FU);
    }
    points.push_back(point);
    i += size;
  }
  return points;
}

inline int CheckKey(std::string_view utf8) {
  const std::vector<char32_t> key = CodePoints(utf8);
  const auto n = static_cast<long long>(key.size());
  long long score = n * 4;
  if (n < 3) return 0;

  const auto half = static_cast<long long>(std::floor(static_cast<double>(n) / 2.0));
  for (long long p = 1; p <= half; ++p) {
    bool differs = false;
    for (long long j = p; j < n && !differs; j += p) {
      if (n - j < p) {
        differs = true;  // a cut-short piece never equals the head
        break;
      }
      for (long long k = 0; k < p; ++k) {
        if (key[static_cast<std::size_t>(j + k)] != key[static_cast<std::size_t>(k)]) {
          differs = true;
          break;
        }
      }
    }
    if (!differs) return 0;
  }

  bool has_upper = false;
  bool has_lower = false;
  for (const char32_t c : key) {
    const CharCode code = CodeOfCharacter(c);
    if (code >= 65 && code <= 90) has_upper = true;
    if (code >= 97 && code <= 122) has_lower = true;
  }
  const auto times_one_and_a_half = [](long long value) {
    return static_cast<long long>(std::nearbyint(static_cast<double>(value) * 1.5));
  };
  if (has_upper && has_lower) score = times_one_and_a_half(score);
  for (const char32_t c : key) {
    const CharCode code = CodeOfCharacter(c);
    if (code >= 48 && code <= 57) {
      if (has_upper || has_lower) score = times_one_and_a_half(score);
      break;
    }
  }
  for (const char32_t c : key) {
    const CharCode code = CodeOfCharacter(c);
    if (code < 48 || (code >= 58 && code <= 64) || code > 122) {
      score = times_one_and_a_half(score);
      break;
    }
  }
  return score > 100 ? 100 : static_cast<int>(score);
}

}  // namespace morvane::reference
