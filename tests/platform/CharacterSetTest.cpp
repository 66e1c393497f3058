#include "CharacterSet.h"
#include "NumberText.h"

#include <QTest>

class CharacterSetTest : public QObject {
  Q_OBJECT

 private slots:
  void everyCodeRoundTrips();
  void mapsWindows1252_data();
  void mapsWindows1252();
  void printsReportNumbers();
};

void CharacterSetTest::everyCodeRoundTrips() {
  for (int code = 0; code < 256; ++code) {
    const auto char_code = static_cast<morvane::CharCode>(code);
    const char32_t character = morvane::CharacterFromCode(char_code);
    QCOMPARE(int(morvane::CodeOfCharacter(character)), code);

    // Qt's encoder is the independent judge of the UTF-8 bytes.
    const std::string_view utf8 = morvane::Utf8OfCode(char_code);
    QCOMPARE(QByteArray(utf8.data(), qsizetype(utf8.size())),
             QString::fromUcs4(&character, 1).toUtf8());
  }
}

void CharacterSetTest::mapsWindows1252_data() {
  QTest::addColumn<uint>("character");
  QTest::addColumn<int>("code");

  QTest::addRow("letter A") << static_cast<uint>('A') << 65;
  QTest::addRow("delete") << 0x7Fu << 127;
  QTest::addRow("euro sign") << 0x20ACu << 128;
  QTest::addRow("unassigned 129") << 0x81u << 129;
  QTest::addRow("unassigned 157") << 0x9Du << 157;
  QTest::addRow("Y with diaeresis") << 0x178u << 159;
  QTest::addRow("no-break space") << 0xA0u << 160;
  QTest::addRow("y with diaeresis") << 0xFFu << 255;
  QTest::addRow("C1 control that 1252 replaced") << 0x80u << 63;
  QTest::addRow("Cyrillic letter") << 0x416u << 63;
  QTest::addRow("emoji") << 0x1F600u << 63;
}

void CharacterSetTest::mapsWindows1252() {
  QFETCH(uint, character);
  QFETCH(int, code);
  QCOMPARE(int(morvane::CodeOfCharacter(char32_t(character))), code);
}

void CharacterSetTest::printsReportNumbers() {
  QCOMPARE(morvane::ReportNumberText(68), std::string(" 68"));
  QCOMPARE(morvane::ReportNumberText(0), std::string(" 0"));
  QCOMPARE(morvane::ReportNumberText(100), std::string(" 100"));
  QCOMPARE(morvane::ReportNumberText(-5), std::string("-5"));
}

QTEST_APPLESS_MAIN(CharacterSetTest)
#include "CharacterSetTest.moc"
