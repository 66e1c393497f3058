#pragma once

#include "CharacterSet.h"
#include "PlatformServices.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>

namespace morvane {

// The characters a generated key may hold, named by the digits of its classes: 1 upper-case
// letters, 2 digits, 3 lower-case letters; Wide is the single-byte set from 31 to 254.
enum class ClassCode : std::uint8_t {
  Upper = 1,
  Digits = 2,
  Lower = 3,
  UpperDigits = 12,
  UpperLower = 13,
  DigitsLower = 23,
  UpperDigitsLower = 123,
  Wide = 66,
};

// Every class code, in the order of their numbers.
std::span<const ClassCode> AllClassCodes();

// The class code with this number, if there is one.
std::optional<ClassCode> ClassCodeFromNumber(long long number);

// Feeds the time of day into the random source; run once before each batch of keys.
void RandomizeFromTimer(RandomServices& services);

// A key of `length` random characters from the class. Draws r in [0, 1) until length characters
// are accepted; each draw names the code round(r x 1000). A value outside the enumeration, which
// only a cast can make, accepts no character: it gives an empty key and takes no draw.
KeyText MakeKey(RandomServices& services, std::uint8_t length, ClassCode class_code);

// Receives each key of MakeKeys, as a view valid only during the call; false stops making keys.
using KeyHandler = std::function<bool(std::string_view key)>;

// The same keys, from the same draws, as `count` calls of MakeKey, handed to `on_key` one by one;
// quicker, since it asks the random source for its draws in fewer, larger batches. A value outside
// the enumeration makes no key at all.
void MakeKeys(RandomServices& services, std::uint8_t length, ClassCode class_code,
              std::size_t count, const KeyHandler& on_key);

}  // namespace morvane
