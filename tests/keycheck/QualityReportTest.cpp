#include "QualityReport.h"

#include <QTest>

using morvane::QualityLevel;
using morvane::QualityReport;
using morvane::ReportBox;

Q_DECLARE_METATYPE(std::optional<QualityLevel>)

class QualityReportTest : public QObject {
  Q_OBJECT

 private slots:
  void mapsScoreToLevel_data();
  void mapsScoreToLevel();
  void composesReport_data();
  void composesReport();
  void refusesWeakKeys_data();
  void refusesWeakKeys();
};

void QualityReportTest::mapsScoreToLevel_data() {
  QTest::addColumn<int>("score");
  QTest::addColumn<std::optional<QualityLevel>>("level");
  QTest::addColumn<QString>("lastLine");  // of the report's prompt

  const std::optional<QualityLevel> none;
  // clang-format off
  QTest::addRow("0") << 0 << none << "The Key Does Not Meet The Requirements!";
  QTest::addRow("4") << 4 << none << "The Key Does Not Meet The Requirements!";
  QTest::addRow("5") << 5 << std::optional(QualityLevel::VeryWeak) << "Is Very Weak Quality:  5 Percent";
  QTest::addRow("19") << 19 << std::optional(QualityLevel::VeryWeak) << "Is Very Weak Quality:  19 Percent";
  QTest::addRow("20") << 20 << std::optional(QualityLevel::Weak) << "Is Weak Quality:  20 Percent";
  QTest::addRow("49") << 49 << std::optional(QualityLevel::Weak) << "Is Weak Quality:  49 Percent";
  QTest::addRow("50") << 50 << std::optional(QualityLevel::Medium) << "Is Medium Quality:  50 Percent";
  QTest::addRow("79") << 79 << std::optional(QualityLevel::Medium) << "Is Medium Quality:  79 Percent";
  QTest::addRow("80") << 80 << std::optional(QualityLevel::Strong) << "Is Strong Quality:  80 Percent";
  QTest::addRow("99") << 99 << std::optional(QualityLevel::Strong) << "Is Strong Quality:  99 Percent";
  QTest::addRow("100") << 100 << std::optional(QualityLevel::VeryStrong) << "Is Very Strong Quality:  100 Percent";
  // clang-format on
}

void QualityReportTest::mapsScoreToLevel() {
  QFETCH(int, score);
  QFETCH(std::optional<QualityLevel>, level);
  QFETCH(QString, lastLine);

  QCOMPARE(morvane::QualityLevelOf(static_cast<morvane::Score>(score)), level);
  const QualityReport report = morvane::ReportForScore("key", static_cast<morvane::Score>(score));
  QCOMPARE(report.box, level ? ReportBox::Information : ReportBox::Critical);
  QCOMPARE(QString::fromStdString(report.prompt).split(QStringLiteral("\r\n")).last(), lastLine);
}

void QualityReportTest::composesReport_data() {
  QTest::addColumn<QString>("key");
  QTest::addColumn<QString>("prompt");

  // clang-format off
  QTest::addRow("medium, score 68") << "Aa1!b" << "The Key Generated: Aa1!b\r\n\r\nIs Medium Quality:  68 Percent";
  QTest::addRow("very weak, score 12") << "abc" << "The Key Generated: abc\r\n\r\nIs Very Weak Quality:  12 Percent";
  QTest::addRow("very strong, capped") << "a1B2c3D4e5F6" << "The Key Generated: a1B2c3D4e5F6\r\n\r\nIs Very Strong Quality:  100 Percent";
  QTest::addRow("spaces kept") << "  ab " << "The Key Generated:   ab \r\n\r\nIs Weak Quality:  30 Percent";
  QTest::addRow("markup kept as text") << "<b>x</b>" << "The Key Generated: <b>x</b>\r\n\r\nIs Weak Quality:  48 Percent";
  QTest::addRow("characters beyond ASCII") << "été!" << "The Key Generated: été!\r\n\r\nIs Weak Quality:  24 Percent";
  // clang-format on
}

void QualityReportTest::composesReport() {
  QFETCH(QString, key);
  QFETCH(QString, prompt);

  const QualityReport report = morvane::MakeQualityReport(key.toStdString());
  QCOMPARE(report.box, ReportBox::Information);
  QCOMPARE(report.title, std::string("Password Quality "));
  QCOMPARE(QString::fromStdString(report.prompt), prompt);
}

void QualityReportTest::refusesWeakKeys_data() {
  QTest::addColumn<QByteArray>("key");
  QTest::addRow("empty") << QByteArray();
  QTest::addRow("two characters") << QByteArray("A1");
  QTest::addRow("repetition") << QByteArray("abcabc");
}

void QualityReportTest::refusesWeakKeys() {
  QFETCH(QByteArray, key);

  const QualityReport report = morvane::MakeQualityReport(key.toStdString());
  QCOMPARE(report.box, ReportBox::Critical);
  QCOMPARE(report.title, std::string("Error"));
  QCOMPARE(report.prompt, std::string("The Key Does Not Meet The Requirements!"));
}

QTEST_APPLESS_MAIN(QualityReportTest)
#include "QualityReportTest.moc"
