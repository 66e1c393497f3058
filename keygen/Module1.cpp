#include "Module1.h"

#include <algorithm>
#include <array>
#include <initializer_list>

namespace morvane {
namespace {

struct CodeRange {
  int first;
  int last;
};

constexpr CodeRange kUpperCase{65, 90};
constexpr CodeRange kDigitCodes{48, 57};
constexpr CodeRange kLowerCase{97, 122};
constexpr CodeRange kWideSet{31, 254};

// One accepted-or-not flag per draw value 0 to 1000, so each draw costs a single lookup.
using AcceptanceTable = std::array<bool, 1001>;

constexpr AcceptanceTable Accepting(std::initializer_list<CodeRange> ranges) {
  AcceptanceTable table{};
  for (const CodeRange& range : ranges) {
    for (int code = range.first; code <= range.last; ++code) {
      table[static_cast<std::size_t>(code)] = true;
    }
  }
  return table;
}

constexpr AcceptanceTable kUpperAccepted = Accepting({kUpperCase});
constexpr AcceptanceTable kDigitsAccepted = Accepting({kDigitCodes});
constexpr AcceptanceTable kLowerAccepted = Accepting({kLowerCase});
constexpr AcceptanceTable kUpperDigitsAccepted = Accepting({kUpperCase, kDigitCodes});
constexpr AcceptanceTable kUpperLowerAccepted = Accepting({kUpperCase, kLowerCase});
constexpr AcceptanceTable kDigitsLowerAccepted = Accepting({kDigitCodes, kLowerCase});
constexpr AcceptanceTable kAllThreeAccepted = Accepting({kUpperCase, kDigitCodes, kLowerCase});
constexpr AcceptanceTable kWideAccepted = Accepting({kWideSet});
constexpr AcceptanceTable kNothingAccepted{};

// The codes that a class accepts. A switch, so that the compiler names any class left out; a
// value outside the enumeration, which only a cast can make, accepts nothing.
const AcceptanceTable& AcceptedCodes(ClassCode class_code) {
  switch (class_code) {
    case ClassCode::Upper:
      return kUpperAccepted;
    case ClassCode::Digits:
      return kDigitsAccepted;
    case ClassCode::Lower:
      return kLowerAccepted;
    case ClassCode::UpperDigits:
      return kUpperDigitsAccepted;
    case ClassCode::UpperLower:
      return kUpperLowerAccepted;
    case ClassCode::DigitsLower:
      return kDigitsLowerAccepted;
    case ClassCode::UpperDigitsLower:
      return kAllThreeAccepted;
    case ClassCode::Wide:
      return kWideAccepted;
  }
  return kNothingAccepted;
}

// In the order of their numbers.
constexpr std::array kAllClassCodes = {
    ClassCode::Upper,
    ClassCode::Digits,
    ClassCode::Lower,
    ClassCode::UpperDigits,
    ClassCode::UpperLower,
    ClassCode::DigitsLower,
    ClassCode::UpperDigitsLower,
    ClassCode::Wide,
};

// Rounds 0 <= x <= 2^51 to the nearest integer, ties to even: adding 2^52 leaves no bits for a
// fraction, so the sum is rounded in the default rounding mode, which is ties to even. As quick as
// an addition, where std::nearbyint is a library call on processors without SSE4.1.
constexpr double RoundHalfToEven(double x) {
  constexpr double kNoFractionBits = 0x1p52;
  return (x + kNoFractionBits) - kNoFractionBits;
}

static_assert(RoundHalfToEven(62.5) == 62.0 && RoundHalfToEven(187.5) == 188.0 &&
              RoundHalfToEven(0.49999999999999994) == 0.0 && RoundHalfToEven(999.5) == 1000.0);

// The code that a draw names: round(draw x 1000). The product is exact in double precision;
// rounding it in float first would move some values next to a half to the other side. A draw
// outside [0, 1], or NaN, from a faulty source names code 0, which no class accepts.
constexpr std::uint16_t CodeOfDraw(float draw) {
  const double product = static_cast<double>(draw) * 1000.0;
  const bool in_range = product >= 0.0 && product <= 1000.0;
  return static_cast<std::uint16_t>(in_range ? RoundHalfToEven(product) : 0.0);
}

}  // namespace

std::span<const ClassCode> AllClassCodes() {
  return kAllClassCodes;
}

std::optional<ClassCode> ClassCodeFromNumber(long long number) {
  for (const ClassCode code : kAllClassCodes) {
    if (static_cast<long long>(code) == number) return code;
  }
  return std::nullopt;
}

void RandomizeFromTimer(RandomServices& services) {
  services.Reseed(services.SecondsSinceMidnight());
}

void MakeKeys(RandomServices& services, std::uint8_t length, ClassCode class_code,
              std::size_t count, const KeyHandler& on_key) {
  const AcceptanceTable& accepted = AcceptedCodes(class_code);
  // No draw could ever complete a key of a class that accepts nothing.
  if (&accepted == &kNothingAccepted) return;

  KeyText key;
  key.reserve(std::size_t{length} * 3);  // a character takes up to three bytes of UTF-8
  if (length == 0) {
    for (std::size_t made = 0; made < count; ++made) {
      if (!on_key(key)) return;
    }
    return;
  }
  // The keys are one stream of characters, cut every `length` characters. Draws are taken in
  // batches of at most as many as characters are still missing: each draw gives at most one
  // character, so no draw is ever taken beyond the last one needed.
  // Scratch space, written before it is read; zeroing it for every batch would cost more than the
  // draws of a short key.
  constexpr std::size_t kLargestBatch = 256;
  std::array<float, kLargestBatch> draws;         // NOLINT(cppcoreguidelines-pro-type-member-init)
  std::array<std::uint16_t, kLargestBatch> kept;  // NOLINT(cppcoreguidelines-pro-type-member-init)
  std::size_t missing = count * length;
  while (missing > 0) {
    const std::size_t batch = std::min(missing, kLargestBatch);
    services.NextRandoms(std::span(draws.data(), batch));
    // Every code is written down, and kept only when accepted: most draws are dropped, and a
    // branch on each would be mispredicted too often.
    std::size_t kept_count = 0;
    for (std::size_t i = 0; i < batch; ++i) {
      const std::uint16_t code = CodeOfDraw(draws[i]);
      kept[kept_count] = code;
      kept_count += static_cast<std::size_t>(accepted[code]);
    }
    for (std::size_t i = 0; i < kept_count; ++i) {
      key.append(Utf8OfCode(static_cast<CharCode>(kept[i])));
      if (--missing % length == 0) {
        if (!on_key(key)) return;
        key.clear();
      }
    }
  }
}

KeyText MakeKey(RandomServices& services, std::uint8_t length, ClassCode class_code) {
  KeyText made;
  MakeKeys(services, length, class_code, 1, [&made](std::string_view key) {
    made = key;
    return true;
  });
  return made;
}

}  // namespace morvane
