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
  QTest::addColumn<QString>("bandText");

  const std::optional<QualityLevel> none;
  QTest::addRow("0") << 0 << none << QString();
  QTest::addRow("4") << 4 << none << QString();
  QTest::addRow("5") << 5 << std::optional(QualityLevel::VeryWeak) << "Is Very Weak Quality: ";
  QTest::addRow("19") << 19 << std::optional(QualityLevel::VeryWeak) << "Is Very Weak Quality: ";
  QTest::addRow("20") << 20 << std::optional(QualityLevel::Weak) << "Is Weak Quality: ";
  QTest::addRow("49") << 49 << std::optional(QualityLevel::Weak) << "Is Weak Quality: ";
  QTest::addRow("50") << 50 << std::optional(QualityLevel::Medium) << "Is Medium Quality: ";
  QTest::addRow("79") << 79 << std::optional(QualityLevel::Medium) << "Is Medium Quality: ";
  QTest::addRow("80") << 80 << std::optional(QualityLevel::Strong) << "Is Strong Quality: ";
  QTest::addRow("99") << 99 << std::optional(QualityLevel::Strong) << "Is Strong Quality: ";
  QTest::addRow("100") << 100 << std::optional(QualityLevel::VeryStrong)
                       << "Is Very Strong Quality: ";
}

void QualityReportTest::mapsScoreToLevel() {
  QFETCH(int, score);
  QFETCH(std::optional<QualityLevel>, level);
  QFETCH(QString, bandText);

  const std::optional<QualityLevel> actual =
      morvane::QualityLevelOf(static_cast<morvane::Score>(score));
  QCOMPARE(actual, level);
  if (actual) {
    const std::string_view text = morvane::BandText(*actual);
    QCOMPARE(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), bandText);
  }

  // The verdict line: band text, then the number with its sign space, then " Percent".
  const QualityReport report = morvane::ReportForScore("key", static_cast<morvane::Score>(score));
  if (level) {
    QVERIFY(QString::fromStdString(report.prompt)
                .endsWith(bandText + " " + QString::number(score) + " Percent"));
  } else {
    QCOMPARE(report.box, ReportBox::Critical);
  }
}

void QualityReportTest::composesReport_data() {
  QTest::addColumn<QByteArray>("key");
  QTest::addColumn<QByteArray>("prompt");

  QTest::addRow("medium, score 68")
      << QByteArray("Aa1!b")
      << QByteArray("The Key Generated: Aa1!b\r\n\r\nIs Medium Quality:  68 Percent");
  QTest::addRow("very weak, score 12")
      << QByteArray("abc")
      << QByteArray("The Key Generated: abc\r\n\r\nIs Very Weak Quality:  12 Percent");
  QTest::addRow("very strong, capped")
      << QByteArray("a1B2c3D4e5F6")
      << QByteArray("The Key Generated: a1B2c3D4e5F6\r\n\r\nIs Very Strong Quality:  100 Percent");
  QTest::addRow("spaces kept")
      << QByteArray("  ab ")
      << QByteArray("The Key Generated:   ab \r\n\r\nIs Weak Quality:  30 Percent");
  QTest::addRow("markup kept as text")
      << QByteArray("<b>x</b>")
      << QByteArray("The Key Generated: <b>x</b>\r\n\r\nIs Weak Quality:  48 Percent");
  QTest::addRow("characters beyond ASCII")
      << QByteArray("\xC3\xA9t\xC3\xA9!")
      << QByteArray("The Key Generated: \xC3\xA9t\xC3\xA9!\r\n\r\nIs Weak Quality:  24 Percent");
}

void QualityReportTest::composesReport() {
  QFETCH(QByteArray, key);
  QFETCH(QByteArray, prompt);

  const QualityReport report = morvane::MakeQualityReport(key.toStdString());
  QCOMPARE(report.box, ReportBox::Information);
  QCOMPARE(report.title, std::string("Password Quality "));
  QCOMPARE(QByteArray::fromStdString(report.prompt), prompt);
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
