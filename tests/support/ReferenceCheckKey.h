#pragma once

// A deliberately plain scorer to check CheckKey against: code points, their Windows-1252 codes,
// and the repetition test written as the literal loop over every period. It is quadratic in the
// worst case, so only compare keys of a few hundred characters with it.
//
// The arithmetic is wide enough never to overflow and the cap applies to every length, which is
// how CheckKey scores the long keys whose 16-bit score would overflow.

#include "CharacterSet.h"
#include "modCheckKey.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace morvane::reference {

// The code points of valid UTF-8, or nothing when `utf8` is not valid UTF-8 (overlong forms,
// surrogates, values past U+10FFFF, stray or missing continuation bytes).
inline std::optional<std::u32string> DecodeUtf8(std::string_view utf8) {
  std::u32string out;
  std::size_t i = 0;
  while (i < utf8.size()) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    std::size_t extra = 0;
    char32_t value = 0;
    char32_t smallest = 0;
    if (lead < 0x80) {
      value = lead;
    } else if ((lead & 0xE0U) == 0xC0U) {
      extra = 1;
      value = lead & 0x1FU;
      smallest = 0x80;
    } else if ((lead & 0xF0U) == 0xE0U) {
      extra = 2;
      value = lead & 0x0FU;
      smallest = 0x800;
    } else if ((lead & 0xF8U) == 0xF0U) {
      extra = 3;
      value = lead & 0x07U;
      smallest = 0x10000;
    } else {
      return std::nullopt;
    }
    if (utf8.size() - i <= extra) return std::nullopt;
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(utf8[i + k]);
      if ((next & 0xC0U) != 0x80U) return std::nullopt;
      value = (value << 6U) | (next & 0x3FU);
    }
    if (value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
      return std::nullopt;
    }
    out.push_back(value);
    i += extra + 1;
  }
  return out;
}

// The UTF-8 form of code points that are valid scalar values.
inline std::string EncodeUtf8(std::u32string_view code_points) {
  std::string out;
  for (const char32_t c : code_points) {
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0U | (c >> 6U)));
      out.push_back(static_cast<char>(0x80U | (c & 0x3FU)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0U | (c >> 12U)));
      out.push_back(static_cast<char>(0x80U | ((c >> 6U) & 0x3FU)));
      out.push_back(static_cast<char>(0x80U | (c & 0x3FU)));
    } else {
      out.push_back(static_cast<char>(0xF0U | (c >> 18U)));
      out.push_back(static_cast<char>(0x80U | ((c >> 12U) & 0x3FU)));
      out.push_back(static_cast<char>(0x80U | ((c >> 6U) & 0x3FU)));
      out.push_back(static_cast<char>(0x80U | (c & 0x3FU)));
    }
  }
  return out;
}

// round(score x 1.5), the product in double precision, ties to the even neighbour.
inline long long ReferenceHalfAgain(long long score) {
  return static_cast<long long>(std::nearbyint(static_cast<double>(score) * 1.5));
}

// Whether the key is its first p characters written two or more times in full. Positions count
// from 1, as in the rules; key[j - 1] is the character at position j.
inline bool ReferenceRepeatsHead(std::u32string_view key, long long p) {
  const auto n = static_cast<long long>(key.size());
  for (long long j = p + 1; j <= n; j += p) {
    if (n - j + 1 < p) return false;  // a piece cut short never equals the head
    for (long long k = 0; k < p; ++k) {
      if (key[static_cast<std::size_t>(j - 1 + k)] != key[static_cast<std::size_t>(k)]) {
        return false;
      }
    }
  }
  return true;
}

// The score of a key given as code points, step by step as the scoring rules state them.
inline Score ReferenceCheckKey(std::u32string_view key) {
  const auto n = static_cast<long long>(key.size());
  long long score = n * 4;
  if (n < 3) return 0;

  const auto half = static_cast<long long>(std::floor(static_cast<double>(n) / 2.0));
  for (long long p = 1; p <= half; ++p) {
    if (ReferenceRepeatsHead(key, p)) return 0;
  }

  bool has_upper = false;
  bool has_lower = false;
  for (const char32_t c : key) {
    const CharCode code = CodeOfCharacter(c);
    if (code >= 65 && code <= 90) has_upper = true;
    if (code >= 97 && code <= 122) has_lower = true;
  }
  if (has_upper && has_lower) score = ReferenceHalfAgain(score);

  for (const char32_t c : key) {
    const CharCode code = CodeOfCharacter(c);
    if (code >= 48 && code <= 57) {
      if (has_upper || has_lower) score = ReferenceHalfAgain(score);
      break;
    }
  }

  for (const char32_t c : key) {
    const CharCode code = CodeOfCharacter(c);
    if (code < 48 || (code >= 58 && code <= 64) || code > 122) {
      score = ReferenceHalfAgain(score);
      break;
    }
  }

  return static_cast<Score>(std::min(score, 100LL));
}

// The same for a key in UTF-8, which must be valid.
inline std::optional<Score> ReferenceCheckKeyUtf8(std::string_view utf8_key) {
  const std::optional<std::u32string> key = DecodeUtf8(utf8_key);
  if (!key) return std::nullopt;
  return ReferenceCheckKey(*key);
}

}  // namespace morvane::reference
