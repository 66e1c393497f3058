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
  // A key never holds an LF, so every CR LF in the prompt is one of the report's line breaks.
  std::string_view prompt = report.prompt;
  for (std::size_t at = prompt.find("\r\n"); at != std::string_view::npos;
       at = prompt.find("\r\n")) {
    text.append(prompt.substr(0, at)).append("\n");
    prompt.remove_prefix(at + 2);
  }
  text.append(prompt).append("\n\n");
  return text;
}

}  // namespace morvane::keytool
