#include "ReportText.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

using namespace Qt::StringLiterals;

namespace morvane::keytool {
namespace {

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString BoxName(ReportBox box) {
  return box == ReportBox::Critical ? u"Critical"_s : u"Information"_s;
}

}  // namespace

std::string ReportAsJsonLine(const QualityReport& report, Score score) {
  const QJsonObject object{
      {u"score"_s, static_cast<int>(score)},
      {u"box"_s, BoxName(report.box)},
      {u"title"_s, FromUtf8(report.title)},
      {u"prompt"_s, FromUtf8(report.prompt)},
  };
  QByteArray line = QJsonDocument(object).toJson(QJsonDocument::Compact);
  line.append('\n');
  return line.toStdString();
}

std::string ReportForReading(const QualityReport& report) {
  std::string text;
  text.reserve(report.title.size() + report.prompt.size() + 3);
  text.append(report.title).append("\n");
  // The key in it shows no control characters, so every CR LF is one of the report's breaks.
  std::string_view prompt = report.prompt;
  for (std::size_t at = prompt.find("\r\n"); at != std::string_view::npos;
       at = prompt.find("\r\n")) {
    text.append(prompt.substr(0, at)).append("\n");
    prompt.remove_prefix(at + 2);
  }
  text.append(prompt).append("\n\n");
  return text;
}

std::string WithVisibleControls(std::string_view key) {
  constexpr std::string_view kHexDigits = "0123456789abcdef";
  std::string text;
  text.reserve(key.size());
  for (std::size_t at = 0; at < key.size(); ++at) {
    const auto byte = static_cast<unsigned char>(key[at]);
    if (byte < 0x20U || byte == 0x7FU) {
      text.append("\\x").append(1, kHexDigits[byte >> 4U]).append(1, kHexDigits[byte & 0xFU]);
      continue;
    }
    // U+0080 to U+009F are C2 80 to C2 9F; in valid UTF-8 a C2 always starts a character.
    const auto next = at + 1 < key.size() ? static_cast<unsigned char>(key[at + 1]) : 0U;
    if (byte == 0xC2U && next >= 0x80U && next <= 0x9FU) {
      text.append("\\u00").append(1, kHexDigits[next >> 4U]).append(1, kHexDigits[next & 0xFU]);
      ++at;
      continue;
    }
    text.push_back(key[at]);
  }
  return text;
}

}  // namespace morvane::keytool
