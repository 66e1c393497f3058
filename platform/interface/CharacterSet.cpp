#include "CharacterSet.h"

#include <array>

namespace morvane {
namespace {

// Windows-1252 codes 128-159. Its five unassigned codes (129, 141, 143, 144, 157) keep the C1
// control character of the same number, so that every code has a character of its own.
constexpr std::array<char32_t, 32> kCharactersOf128To159 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 128-135
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 136-143
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 144-151
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 152-159
};

constexpr char32_t CharacterOf(unsigned code) {
  if (code >= 128 && code < 160) return kCharactersOf128To159[code - 128];
  return code;  // ASCII and Latin-1 coincide with Unicode
}

struct EncodedCharacter {
  std::array<char, 3> bytes{};
  std::size_t size = 0;
};

// Every character of the set lies below U+10000, so three bytes suffice.
constexpr EncodedCharacter EncodeUtf8(char32_t c) {
  EncodedCharacter out;
  if (c < 0x80) {
    out.bytes[0] = static_cast<char>(c);
    out.size = 1;
  } else if (c < 0x800) {
    out.bytes[0] = static_cast<char>(0xC0 | (c >> 6));
    out.bytes[1] = static_cast<char>(0x80 | (c & 0x3F));
    out.size = 2;
  } else {
    out.bytes[0] = static_cast<char>(0xE0 | (c >> 12));
    out.bytes[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out.bytes[2] = static_cast<char>(0x80 | (c & 0x3F));
    out.size = 3;
  }
  return out;
}

constexpr std::array<EncodedCharacter, 256> kUtf8OfCode = [] {
  std::array<EncodedCharacter, 256> table{};
  for (unsigned code = 0; code < 256; ++code) table[code] = EncodeUtf8(CharacterOf(code));
  return table;
}();

}  // namespace

CharCode CodeOfCharacter(char32_t character) {
  if (character < 0x80 || (character >= 0xA0 && character <= 0xFF)) {
    return static_cast<CharCode>(character);
  }
  for (unsigned index = 0; index < kCharactersOf128To159.size(); ++index) {
    if (kCharactersOf128To159[index] == character) return static_cast<CharCode>(128 + index);
  }
  return kUnrepresentableCode;
}

char32_t CharacterFromCode(CharCode code) {
  return CharacterOf(code);
}

std::string_view Utf8OfCode(CharCode code) {
  const EncodedCharacter& encoded = kUtf8OfCode[code];
  return {encoded.bytes.data(), encoded.size};
}

bool IsDirectionControl(char32_t character) {
  return character == 0x061C || character == 0x200E || character == 0x200F ||
         (character >= 0x202A && character <= 0x202E) ||
         (character >= 0x2066 && character <= 0x2069);
}

}  // namespace morvane
