#pragma once

#include "QualityReport.h"

#include <string>

namespace morvane::keytool {

// The report as one line of JSON with the fields score, box, title and prompt, ending in LF.
std::string ReportAsJsonLine(const QualityReport& report, Score score);

// The report as a person reads it in a terminal: the title, the prompt with plain line breaks,
// and an empty line that sets it off from the next report.
std::string ReportForReading(const QualityReport& report);

}  // namespace morvane::keytool
