#include "KeyChoices.h"

#include <charconv>
#include <cmath>
#include <string>

namespace morvane {

std::optional<ClassCode> ClassCodeForBoxes(bool upper, bool digits, bool lower) {
  if (upper && digits && lower) return ClassCode::UpperDigitsLower;
  if (upper && digits) return ClassCode::UpperDigits;
  if (upper && lower) return ClassCode::UpperLower;
  if (upper) return ClassCode::Upper;
  if (digits && lower) return ClassCode::DigitsLower;
  if (digits) return ClassCode::Digits;
  if (lower) return ClassCode::Lower;
  return std::nullopt;
}

std::optional<std::uint8_t> LengthFromText(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);

  double number = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (text.empty() || error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  if (!std::isfinite(number)) return std::nullopt;

  const double rounded = std::nearbyint(number);  // the default rounding mode: ties to even
  if (rounded < 0.0 || rounded > 255.0) return std::nullopt;
  return static_cast<std::uint8_t>(rounded);
}

}  // namespace morvane
