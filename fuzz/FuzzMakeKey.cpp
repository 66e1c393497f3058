// Drives MakeKey with a random source scripted by the fuzzer, including values a faulty source
// might return, and checks every key against a literal replay of the draw-and-accept loop.

#include "CharacterSet.h"
#include "FrontReader.h"
#include "Module1.h"
#include "PlatformServices.h"
#include "ReferenceCheckKey.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace {

[[noreturn]] void Fail(const char* what, int class_number, int length) {
  std::fprintf(stderr, "%s (class code %d, length %d)\n", what, class_number, length);
  std::abort();
}

// The accepted codes, read off the class code's decimal digits: 1 upper-case letters, 2 digits,
// 3 lower-case letters; 66 is the wide single-byte set.
bool ExpectedAccepts(int class_number, int code) {
  if (class_number == 66) return code >= 31 && code <= 254;
  for (int rest = class_number; rest > 0; rest /= 10) {
    const int digit = rest % 10;
    if (digit == 1 && code >= 65 && code <= 90) return true;
    if (digit == 2 && code >= 48 && code <= 57) return true;
    if (digit == 3 && code >= 97 && code <= 122) return true;
  }
  return false;
}

// Values near the edges of [0, 1) and the ties of the x1000 rounding.
constexpr std::array<float, 10> kEdgeDraws = {
    0.0F, 0x1p-24F, 0.0625F, 0.1875F, 0.0315F, 0.2545F, 0.9375F, 0.5F, 0.99999994F, 0.0305F,
};

// Offsets from a code, in thousandths, that land exactly on or right beside a rounding boundary.
constexpr std::array<double, 5> kCodeOffsets = {-0.5, -0.4999, 0.0, 0.4999, 0.5};

// A random source that replays the fuzzer's bytes. Once they run out it cycles through every
// code, so MakeKey always finishes: each class has accepted codes among 0 to 999.
class ScriptedRandomSource final : public morvane::RandomServices {
 public:
  explicit ScriptedRandomSource(std::span<const std::uint8_t> script) : script_(script) {}

  float SecondsSinceMidnight() override { return 0.0F; }
  void Reseed(float /*seed*/) override {}

  float NextRandom() override {
    ++draws_;
    if (script_.empty()) {
      const auto code = static_cast<float>(fallback_++ % 1000U);
      return code / 1000.0F;
    }
    switch (script_.Byte() & 0x03U) {
      case 0:  // what the production source yields: 24 random bits over 2^24
        return static_cast<float>(script_.InRange(0, 0xFFFFFF)) * 0x1p-24F;
      case 1: {
        const auto code = static_cast<double>(script_.InRange(0, 1000));
        const double offset = kCodeOffsets.at(script_.InRange(0, kCodeOffsets.size() - 1));
        return static_cast<float>((code + offset) / 1000.0);
      }
      case 2:
        return kEdgeDraws.at(script_.InRange(0, kEdgeDraws.size() - 1));
      default:  // any bit pattern: negative, 1 and above, infinities, NaN
        return std::bit_cast<float>(script_.InRange(0, UINT32_MAX));
    }
  }

  std::size_t draws() const { return draws_; }

 private:
  morvane::fuzzing::FrontReader script_;
  std::uint32_t fallback_ = 0;
  std::size_t draws_ = 0;
};

// The generator's loop as the rules state it: draw, scale by 1000 in double precision, round
// ties to even, keep the character when its code is accepted.
std::string ReplayMakeKey(morvane::RandomServices& source, int length, int class_number) {
  std::u32string key;
  while (static_cast<int>(key.size()) < length) {
    const double value = std::nearbyint(static_cast<double>(source.NextRandom()) * 1000.0);
    if (value >= 0.0 && value <= 255.0 && ExpectedAccepts(class_number, static_cast<int>(value))) {
      key.push_back(morvane::CharacterFromCode(static_cast<morvane::CharCode>(value)));
    }
  }
  return morvane::reference::EncodeUtf8(key);
}

void CheckKeyCharacters(const std::string& key, int class_number, int length) {
  const std::optional<std::u32string> characters = morvane::reference::DecodeUtf8(key);
  if (!characters) Fail("key is not valid UTF-8", class_number, length);
  if (static_cast<int>(characters->size()) != length) {
    Fail("key has the wrong number of characters", class_number, length);
  }
  for (const char32_t c : *characters) {
    const morvane::CharCode code = morvane::CodeOfCharacter(c);
    if (morvane::CharacterFromCode(code) != c) {
      Fail("key holds a character outside the set", class_number, length);
    }
    if (!ExpectedAccepts(class_number, code)) {
      Fail("key holds a code its class does not accept", class_number, length);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  if (size < 3) return 0;
  const std::span<const morvane::ClassCode> all_codes = morvane::AllClassCodes();
  if (all_codes.size() != 8) Fail("expected eight class codes", 0, 0);

  // Mostly the eight class codes; the rest of the byte range tries any number at all.
  const std::uint8_t selector = bytes[0];
  const int class_number = selector < 240 ? static_cast<int>(all_codes[selector % 8]) : bytes[2];
  const int length = bytes[1];
  const std::span<const std::uint8_t> script(bytes + 3, size - 3);

  const std::optional<morvane::ClassCode> class_code = morvane::ClassCodeFromNumber(class_number);
  const bool in_table = class_number == 1 || class_number == 2 || class_number == 3 ||
                        class_number == 12 || class_number == 13 || class_number == 23 ||
                        class_number == 123 || class_number == 66;
  if (class_code.has_value() != in_table) Fail("ClassCodeFromNumber is wrong", class_number, 0);

  ScriptedRandomSource source(script);
  if (!class_code) {
    // A value outside the enumeration accepts nothing: no key, and no draw.
    const std::string key = morvane::MakeKey(source, static_cast<std::uint8_t>(length),
                                             static_cast<morvane::ClassCode>(class_number));
    if (!key.empty()) Fail("unknown class code made a key", class_number, length);
    if (source.draws() != 0) Fail("unknown class code still drew", class_number, length);
    return 0;
  }

  const std::string key = morvane::MakeKey(source, static_cast<std::uint8_t>(length), *class_code);
  CheckKeyCharacters(key, class_number, length);

  ScriptedRandomSource replay_source(script);
  if (ReplayMakeKey(replay_source, length, class_number) != key) {
    Fail("key differs from the literal loop", class_number, length);
  }
  if (replay_source.draws() != source.draws()) {
    Fail("MakeKey used a different number of draws", class_number, length);
  }
  return 0;
}
