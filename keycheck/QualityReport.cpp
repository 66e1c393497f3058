#include "QualityReport.h"

#include "NumberText.h"

namespace morvane {

std::optional<QualityLevel> QualityLevelOf(Score score) {
  if (score < 5) return std::nullopt;
  if (score < 20) return QualityLevel::VeryWeak;
  if (score < 50) return QualityLevel::Weak;
  if (score < 80) return QualityLevel::Medium;
  if (score < 100) return QualityLevel::Strong;
  return QualityLevel::VeryStrong;
}

std::string_view VerdictText(QualityLevel level) {
  switch (level) {
    case QualityLevel::VeryWeak:
      return "Is Very Weak Quality: ";
    case QualityLevel::Weak:
      return "Is Weak Quality: ";
    case QualityLevel::Medium:
      return "Is Medium Quality: ";
    case QualityLevel::Strong:
      return "Is Strong Quality: ";
    case QualityLevel::VeryStrong:
      return "Is Very Strong Quality: ";
  }
  return {};
}

QualityReport ReportForScore(std::string_view key, Score score) {
  const std::optional<QualityLevel> level = QualityLevelOf(score);
  if (!level) {
    return {ReportBox::Critical, "Error", "The Key Does Not Meet The Requirements!"};
  }

  constexpr std::string_view kHeading = "The Key Generated: ";
  constexpr std::string_view kLineBreak = "\r\n";
  const std::string_view verdict = VerdictText(*level);
  const std::string number = ReportNumberText(score);
  constexpr std::string_view kUnit = " Percent";

  std::string prompt;
  prompt.reserve(kHeading.size() + key.size() + 2 * kLineBreak.size() + verdict.size() +
                 number.size() + kUnit.size());
  prompt.append(kHeading).append(key);
  prompt.append(kLineBreak).append(kLineBreak);
  prompt.append(verdict).append(number).append(kUnit);
  return {ReportBox::Information, "Password Quality ", std::move(prompt)};
}

}  // namespace morvane
