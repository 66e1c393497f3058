#include "CharacterSet.h"
#include "NumberText.h"

#include <algorithm>
#include <array>
#include <optional>

#include <QTest>

#if __has_include(<iconv.h>)
#include <iconv.h>
#define MORVANE_HAVE_ICONV 1
#endif

namespace {

// The five codes that Windows-1252 leaves unassigned keep the C1 control of the same number.
constexpr std::array<int, 5> kUnassigned = {129, 141, 143, 144, 157};

#ifdef MORVANE_HAVE_ICONV
// The character for `code` as the C library's converter decodes it, or nothing when it refuses.
std::optional<char32_t> DecodedByIconv(iconv_t converter, int code) {
  char in = static_cast<char>(code);
  std::array<unsigned char, 8> out{};
  char* in_at = &in;
  std::size_t in_left = 1;
  auto* out_at = reinterpret_cast<char*>(out.data());
  std::size_t out_left = out.size();
  iconv(converter, nullptr, nullptr, nullptr, nullptr);
  if (iconv(converter, &in_at, &in_left, &out_at, &out_left) == static_cast<std::size_t>(-1) ||
      out_left != out.size() - 4) {
    return std::nullopt;
  }
  return static_cast<char32_t>(out[0] << 24U | out[1] << 16U | out[2] << 8U | out[3]);
}
#endif

}  // namespace

class CharacterSetTest : public QObject {
  Q_OBJECT

 private slots:
  void everyCodeRoundTrips();
  void agreesWithTheCLibrary();
  void mapsEveryOtherCharacterToTheStandIn();
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

void CharacterSetTest::agreesWithTheCLibrary() {
#ifdef MORVANE_HAVE_ICONV
  iconv_t converter = iconv_open("UTF-32BE", "WINDOWS-1252");
  // (iconv_t)-1 is how iconv_open says it has no such converter.
  if (converter == reinterpret_cast<iconv_t>(-1)) {  // NOLINT(performance-no-int-to-ptr)
    QSKIP("the C library has no WINDOWS-1252");
  }
  for (int code = 0; code < 256; ++code) {
    const char32_t ours = morvane::CharacterFromCode(static_cast<morvane::CharCode>(code));
    const std::optional<char32_t> theirs = DecodedByIconv(converter, code);
    if (std::find(kUnassigned.begin(), kUnassigned.end(), code) != kUnassigned.end()) {
      QVERIFY2(!theirs, qPrintable(QString::number(code)));
      QCOMPARE(static_cast<int>(ours), code);
    } else {
      QVERIFY2(theirs == ours, qPrintable(QStringLiteral("code %1 is U+%2 here")
                                              .arg(code)
                                              .arg(static_cast<uint>(ours), 4, 16, QChar('0'))));
    }
  }
  iconv_close(converter);
#else
  QSKIP("no iconv here");
#endif
}

// Through all of Unicode's first planes: only the 256 characters of the set have a code other
// than the stand-in "?".
void CharacterSetTest::mapsEveryOtherCharacterToTheStandIn() {
  int with_own_code = 0;
  for (char32_t c = 0; c < 0x30000; ++c) {
    const morvane::CharCode code = morvane::CodeOfCharacter(c);
    if (morvane::CharacterFromCode(code) == c) {
      ++with_own_code;
    } else {
      QCOMPARE(code, morvane::kUnrepresentableCode);
    }
  }
  QCOMPARE(with_own_code, 256);
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
