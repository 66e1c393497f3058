#pragma once

#include "PlatformServices.h"
#include "modCheckKey.h"

#include <optional>
#include <string>
#include <string_view>

namespace morvane {

enum class QualityLevel { VeryWeak, Weak, Medium, Strong, VeryStrong };

// The message box style that a report is shown with, by the design's name for it: Critical (the
// error icon) for the requirements error, Information for a verdict.
using ReportBox = MessageBoxStyle;

// The message box that tells the user how good a key is.
struct QualityReport {
  ReportBox box = ReportBox::Critical;
  std::string title;
  std::string prompt;  // lines end in CR LF
};

// Scores below 5 fail the requirements and have no level.
std::optional<QualityLevel> QualityLevelOf(Score score);

// The verdict that starts a report's last line, e.g. "Is Medium Quality: ".
std::string_view VerdictText(QualityLevel level);

// The report on `key` (UTF-8) whose score is already known.
QualityReport ReportForScore(std::string_view key, Score score);

// The report on `key` (UTF-8).
inline QualityReport MakeQualityReport(std::string_view key) {
  return ReportForScore(key, CheckKey(key));
}

}  // namespace morvane
