#include "Module1.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>
#include <string>

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

struct ClassRanges {
  ClassCode code;
  std::array<CodeRange, 3> ranges;
  std::size_t count;
};

constexpr std::array<ClassRanges, 8> kClassTable{{
    {ClassCode::Upper, {kUpperCase}, 1},
    {ClassCode::Digits, {kDigitCodes}, 1},
    {ClassCode::Lower, {kLowerCase}, 1},
    {ClassCode::UpperDigits, {kUpperCase, kDigitCodes}, 2},
    {ClassCode::UpperLower, {kUpperCase, kLowerCase}, 2},
    {ClassCode::DigitsLower, {kDigitCodes, kLowerCase}, 2},
    {ClassCode::UpperDigitsLower, {kUpperCase, kDigitCodes, kLowerCase}, 3},
    {ClassCode::Wide, {kWideSet}, 1},
}};

constexpr std::array<ClassCode, kClassTable.size()> kAllClassCodes = [] {
  std::array<ClassCode, kClassTable.size()> codes{};
  std::transform(kClassTable.begin(), kClassTable.end(), codes.begin(),
                 [](const ClassRanges& entry) { return entry.code; });
  return codes;
}();

const ClassRanges* FindClass(ClassCode class_code) {
  for (const ClassRanges& entry : kClassTable) {
    if (entry.code == class_code) return &entry;
  }
  return nullptr;
}

// One accepted-or-not flag per draw value 0 to 1000, so each draw costs a single lookup.
using AcceptanceTable = std::array<bool, 1001>;

constexpr AcceptanceTable AcceptanceOf(const ClassRanges& entry) {
  AcceptanceTable table{};
  for (std::size_t i = 0; i < entry.count; ++i) {
    for (int code = entry.ranges[i].first; code <= entry.ranges[i].last; ++code) {
      table[static_cast<std::size_t>(code)] = true;
    }
  }
  return table;
}

constexpr std::array<AcceptanceTable, kClassTable.size()> kAcceptance = [] {
  std::array<AcceptanceTable, kClassTable.size()> tables{};
  std::transform(kClassTable.begin(), kClassTable.end(), tables.begin(), AcceptanceOf);
  return tables;
}();

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

KeyText MakeKey(RandomServices& services, std::uint8_t length, ClassCode class_code) {
  const ClassRanges* entry = FindClass(class_code);
  if (entry == nullptr) {
    throw std::invalid_argument("unknown class code " +
                                std::to_string(static_cast<int>(class_code)));
  }
  const AcceptanceTable& accepted =
      kAcceptance[static_cast<std::size_t>(entry - kClassTable.data())];

  KeyText key;
  key.reserve(length);
  for (std::uint8_t count = 0; count < length;) {
    // The product is exact in double precision; rounding it in float first would move some
    // values next to a half to the other side. nearbyint rounds ties to even.
    const double value = std::nearbyint(static_cast<double>(services.NextRandom()) * 1000.0);
    if (!(value >= 0.0 && value <= 1000.0)) continue;  // also refuses NaN from a faulty source
    const auto code = static_cast<std::size_t>(value);
    if (!accepted[code]) continue;
    key.append(Utf8OfCode(static_cast<CharCode>(code)));
    ++count;
  }
  return key;
}

}  // namespace morvane
