#pragma once

#include "Output.h"
#include "modCheckKey.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace morvane::keytool {

// Writes a valid UTF-8 key so that a terminal shows it as it is, each character one way only: C0
// controls and DEL as \x1b, C1 controls, the direction marks, embeddings, overrides and isolates
// and the line and paragraph separators as \u009b or \u202e, and a backslash as \\. Every other
// character stays as it is. So a key cannot move the cursor, retitle the window or reorder what
// is shown, and no key reads like another.
bool WriteVisible(std::string_view key, Output& out);

// Whether WriteVisible writes an escape for anything but a backslash.
bool HoldsHiddenCharacters(std::string_view key);

// Writes quality reports, one after another:
// - for reading: the title, the prompt with plain line breaks and its key written visibly, and
//   an empty line that sets it off from the next report;
// - as JSON: one object per line with the members box, prompt, score and title, the key exact.
// The report's own text depends on the score alone, so it is made once per score; the key is
// written straight from its line, however long.
class ReportWriter {
 public:
  enum class Form { ForReading, Json };

  ReportWriter(Form form, Output& out) : form_(form), out_(out) {}

  bool Write(std::string_view key, Score score);

 private:
  // A report's text before its key and after it; `after` is empty for a report without a key.
  struct Frame {
    std::string before;
    std::string after;
    bool holds_key = false;
  };
  Frame MakeFrame(Score score) const;

  Form form_;
  Output& out_;
  std::array<std::optional<Frame>, 101> frames_;  // by score
};

}  // namespace morvane::keytool
