#pragma once

#include "Output.h"
#include "modCheckKey.h"

#include <memory>
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

// The report as a person reads it in a terminal: the title, the prompt with plain line breaks and
// its key written visibly, and an empty line that sets it off from the next report.
bool WriteReportForReading(std::string_view key, Score score, Output& out);

// The reports as JSON, one object per line with the fields box, prompt, score and title; the key
// in the prompt is exact. Keeps what it builds from one line to the next.
class JsonReportWriter {
 public:
  explicit JsonReportWriter(Output& out);
  ~JsonReportWriter();
  JsonReportWriter(const JsonReportWriter&) = delete;
  JsonReportWriter& operator=(const JsonReportWriter&) = delete;
  JsonReportWriter(JsonReportWriter&&) = delete;
  JsonReportWriter& operator=(JsonReportWriter&&) = delete;

  bool Write(std::string_view key, Score score);

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};

}  // namespace morvane::keytool
