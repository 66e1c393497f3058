#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace morvane {

// A key travels through the program as UTF-8 text; its characters are Unicode code points.
using KeyText = std::string;

// The code of a character in the single-byte character set, Windows-1252.
using CharCode = std::uint8_t;

// Code 63 ("?") stands for every character that Windows-1252 cannot represent.
inline constexpr CharCode kUnrepresentableCode = 63;

// The code of one character; characters outside the set get kUnrepresentableCode.
CharCode CodeOfCharacter(char32_t character);

// The character whose code is `code`.
char32_t CharacterFromCode(CharCode code);

// The UTF-8 bytes of CharacterFromCode(code), ready to append to a KeyText.
std::string_view Utf8OfCode(CharCode code);

// Whether `character` changes the order in which the text around it is shown: the Arabic letter
// mark, the left-to-right and right-to-left marks, the embeddings and overrides, and the
// isolates. A key holding one can make what is shown read differently from what it is.
bool IsDirectionControl(char32_t character);

}  // namespace morvane
