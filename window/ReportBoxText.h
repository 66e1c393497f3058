#pragma once

#include <string>
#include <string_view>

namespace morvane {

// The key as the report box shows it (UTF-8). A key that holds direction controls (marks,
// embeddings, overrides, isolates) has each of its lines isolated (between U+2068 and U+2069,
// balanced against the key's own isolates), so that nothing in it reorders the program's words
// around it; every other key is the key, unchanged.
std::string IsolatedKey(std::string_view key);

// `text` (UTF-8) shortened so that its box fits the screen; text that fits is returned whole.
// Lines end at CR LF, LF, CR, U+2028 and U+2029. A text of more than 9 lines keeps its first and
// last 4, with a line that says how many were left out between them. A line longer than 1,000
// characters, or longer than 120 where another kept line is too, keeps its first and last 60
// characters with a note of how many were left out between them. Each kept part with direction
// controls is isolated on its own, so that the notes read as written.
std::string ShortenedForDisplay(std::string_view text);

}  // namespace morvane
