#pragma once

#include <cstdint>
#include <string_view>

namespace morvane {

// A key's quality in percent, 0 to 100.
using Score = std::int16_t;

// Rates a UTF-8 key: four points a character, then half as much again for mixed letter cases,
// for digits beside letters and for special characters, capped at 100. Keys shorter than three
// characters and keys that are one block written two or more times in full score 0.
//
// Runs in time linear in the key's length and allocates nothing, so a pasted text of any size is
// answered at once. Characters outside Windows-1252 count as special.
Score CheckKey(std::string_view key);

}  // namespace morvane
