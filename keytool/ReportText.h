#pragma once

#include "QualityReport.h"

#include <string>
#include <string_view>

namespace morvane::keytool {

// The report as one line of JSON with the fields score, box, title and prompt, ending in LF.
std::string ReportAsJsonLine(const QualityReport& report, Score score);

// The report as a person reads it in a terminal: the title, the prompt with plain line breaks,
// and an empty line that sets it off from the next report.
std::string ReportForReading(const QualityReport& report);

// A valid UTF-8 key with its control characters written as visible escapes, so that a key shown
// in a terminal cannot move the cursor, clear the screen or retitle the window: C0 controls and
// DEL as \x1b, C1 controls as \u009b. Every other character stays as it is.
std::string WithVisibleControls(std::string_view key);

}  // namespace morvane::keytool
