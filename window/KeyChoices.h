#pragma once

#include "Module1.h"

#include <cstdint>
#include <optional>
#include <string_view>

// What the window's controls ask MakeKey for: the class code that its check boxes choose and the
// length that its length box holds. Plain functions, so that they are tested without a window.

namespace morvane {

// The class code that the upper-case, digit and lower-case boxes choose, or none when all three
// are unchecked.
std::optional<ClassCode> ClassCodeForBoxes(bool upper, bool digits, bool lower);

// The length text read as a number and rounded half to even; no value unless it lies in 0 to 255.
std::optional<std::uint8_t> LengthFromText(std::string_view text);

}  // namespace morvane
