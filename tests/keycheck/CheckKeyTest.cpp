#include "ReferenceCheckKey.h"
#include "modCheckKey.h"

#include <QRandomGenerator>
#include <QTest>

#include <array>
#include <string>

using morvane::CheckKey;

namespace {

std::string_view View(const QByteArray& bytes) {
  return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

std::string Repeat(std::string_view block, std::size_t times) {
  std::string out;
  for (std::size_t i = 0; i < times; ++i) out.append(block);
  return out;
}

// n characters with no repetition: lower-case letters counting up, then a final "z".
std::string Distinct(std::size_t n) {
  std::string out;
  for (std::size_t i = 0; i + 1 < n; ++i) out.push_back(static_cast<char>('a' + i % 25));
  if (n > 0) out.push_back('z');
  return out;
}

}  // namespace

class CheckKeyTest : public QObject {
  Q_OBJECT

 private slots:
  void scoresKeys_data();
  void scoresKeys();
  void scoresLongKeys_data();
  void scoresLongKeys();
  void agreesWithPlainLoopOnRandomShortKeys();
};

void CheckKeyTest::scoresKeys_data() {
  QTest::addColumn<QByteArray>("key");
  QTest::addColumn<int>("score");

  // clang-format off
  // Short keys and repetitions.
  QTest::addRow("empty") << QByteArray("") << 0;
  QTest::addRow("one character") << QByteArray("A") << 0;
  QTest::addRow("two characters") << QByteArray("Aa") << 0;
  QTest::addRow("one character three times") << QByteArray("aaa") << 0;
  QTest::addRow("one character five times") << QByteArray("xxxxx") << 0;
  QTest::addRow("two characters alternating, even") << QByteArray("abab") << 0;
  QTest::addRow("three characters twice") << QByteArray("Ab1Ab1") << 0;
  QTest::addRow("block written three times") << QByteArray("xY!xY!xY!") << 0;
  QTest::addRow("two characters alternating, odd") << QByteArray("ababa") << 20;
  QTest::addRow("last copy cut short") << QByteArray("abcab") << 20;
  QTest::addRow("letter and its capital alternating") << QByteArray("aAaA") << 0;
  QTest::addRow("lower, upper, upper, lower") << QByteArray("aAAa") << 24;
  QTest::addRow("three spaces") << QByteArray("   ") << 0;
  QTest::addRow("one emoji three times") << QByteArray("\xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80") << 0;
  QTest::addRow("two different emoji") << QByteArray("\xF0\x9F\x98\x80\xF0\x9F\x98\x81\xF0\x9F\x98\x80\xF0\x9F\x98\x81x") << 30;

  // Base score and bonuses.
  QTest::addRow("three lower-case") << QByteArray("abc") << 12;
  QTest::addRow("upper then two lower") << QByteArray("Abc") << 18;
  QTest::addRow("upper, lower, digit") << QByteArray("Aa1") << 27;
  QTest::addRow("underscore is no special") << QByteArray("ab_") << 12;
  QTest::addRow("codes 91 to 96 are no special") << QByteArray("ab[\\]^_`") << 32;
  QTest::addRow("colon is special") << QByteArray("ab:") << 18;
  QTest::addRow("four digits, no letters") << QByteArray("1234") << 16;
  QTest::addRow("digit before the letters") << QByteArray("1ab") << 18;
  QTest::addRow("upper three times, then lower") << QByteArray("AAAb") << 24;
  QTest::addRow("upper, seven lower, digit") << QByteArray("Abcdefgh1") << 81;
  QTest::addRow("two capitalised words and a space") << QByteArray("Hello World") << 99;
  QTest::addRow("twelve cycling, capped once") << QByteArray("a1B2c3D4e5F6") << 100;
  QTest::addRow("25 lower-case letters") << QByteArray(Distinct(25).c_str()) << 100;
  QTest::addRow("24 lower-case letters") << QByteArray(Distinct(24).c_str()) << 96;

  // Rounding ties go to the even neighbour.
  QTest::addRow("67.5 rounds to 68") << QByteArray("Aa1!b") << 68;
  QTest::addRow("94.5 rounds to 94") << QByteArray("Aa1!bcd") << 94;

  // Characters beyond ASCII are special, whether Windows-1252 has them or not.
  QTest::addRow("e acute (233)") << QByteArray("ab\xC3\xA9") << 18;
  QTest::addRow("euro sign (128)") << QByteArray("ab\xE2\x82\xAC") << 18;
  QTest::addRow("y diaeresis (255)") << QByteArray("ab\xC3\xBF") << 18;
  QTest::addRow("emoji outside the set") << QByteArray("ab\xF0\x9F\x98\x80") << 18;
  QTest::addRow("control character 31") << QByteArray("ab\x1F") << 18;

  // Both sides of each class edge, after two digits, a lower-case letter and a colon, two
  // upper-case letters and two lower-case letters: the four scores tell every kind apart.
  QTest::addRow("'/' 47 special, after 12") << QByteArray("12/") << 18;
  QTest::addRow("'/' 47 special, after a:") << QByteArray("a:/") << 18;
  QTest::addRow("'/' 47 special, after AB") << QByteArray("AB/") << 18;
  QTest::addRow("'/' 47 special, after xy") << QByteArray("xy/") << 18;
  QTest::addRow("'0' 48 digit, after 12") << QByteArray("120") << 12;
  QTest::addRow("'0' 48 digit, after a:") << QByteArray("a:0") << 27;
  QTest::addRow("'0' 48 digit, after AB") << QByteArray("AB0") << 18;
  QTest::addRow("'0' 48 digit, after xy") << QByteArray("xy0") << 18;
  QTest::addRow("'9' 57 digit, after 12") << QByteArray("129") << 12;
  QTest::addRow("'9' 57 digit, after a:") << QByteArray("a:9") << 27;
  QTest::addRow("'9' 57 digit, after AB") << QByteArray("AB9") << 18;
  QTest::addRow("'9' 57 digit, after xy") << QByteArray("xy9") << 18;
  QTest::addRow("':' 58 special, after 12") << QByteArray("12:") << 18;
  QTest::addRow("':' 58 special, after a:") << QByteArray("a::") << 18;
  QTest::addRow("':' 58 special, after AB") << QByteArray("AB:") << 18;
  QTest::addRow("':' 58 special, after xy") << QByteArray("xy:") << 18;
  QTest::addRow("'@' 64 special, after 12") << QByteArray("12@") << 18;
  QTest::addRow("'@' 64 special, after a:") << QByteArray("a:@") << 18;
  QTest::addRow("'@' 64 special, after AB") << QByteArray("AB@") << 18;
  QTest::addRow("'@' 64 special, after xy") << QByteArray("xy@") << 18;
  QTest::addRow("'A' 65 upper, after 12") << QByteArray("12A") << 18;
  QTest::addRow("'A' 65 upper, after a:") << QByteArray("a:A") << 27;
  QTest::addRow("'A' 65 upper, after AB") << QByteArray("ABA") << 12;
  QTest::addRow("'A' 65 upper, after xy") << QByteArray("xyA") << 18;
  QTest::addRow("'Z' 90 upper, after 12") << QByteArray("12Z") << 18;
  QTest::addRow("'Z' 90 upper, after a:") << QByteArray("a:Z") << 27;
  QTest::addRow("'Z' 90 upper, after AB") << QByteArray("ABZ") << 12;
  QTest::addRow("'Z' 90 upper, after xy") << QByteArray("xyZ") << 18;
  QTest::addRow("'[' 91 no class, after 12") << QByteArray("12[") << 12;
  QTest::addRow("'[' 91 no class, after a:") << QByteArray("a:[") << 18;
  QTest::addRow("'[' 91 no class, after AB") << QByteArray("AB[") << 12;
  QTest::addRow("'[' 91 no class, after xy") << QByteArray("xy[") << 12;
  QTest::addRow("'`' 96 no class, after 12") << QByteArray("12`") << 12;
  QTest::addRow("'`' 96 no class, after a:") << QByteArray("a:`") << 18;
  QTest::addRow("'`' 96 no class, after AB") << QByteArray("AB`") << 12;
  QTest::addRow("'`' 96 no class, after xy") << QByteArray("xy`") << 12;
  QTest::addRow("'a' 97 lower, after 12") << QByteArray("12a") << 18;
  QTest::addRow("'a' 97 lower, after a:") << QByteArray("a:a") << 18;
  QTest::addRow("'a' 97 lower, after AB") << QByteArray("ABa") << 18;
  QTest::addRow("'a' 97 lower, after xy") << QByteArray("xya") << 12;
  QTest::addRow("'z' 122 lower, after 12") << QByteArray("12z") << 18;
  QTest::addRow("'z' 122 lower, after a:") << QByteArray("a:z") << 18;
  QTest::addRow("'z' 122 lower, after AB") << QByteArray("ABz") << 18;
  QTest::addRow("'z' 122 lower, after xy") << QByteArray("xyz") << 12;
  QTest::addRow("'{' 123 special, after 12") << QByteArray("12{") << 18;
  QTest::addRow("'{' 123 special, after a:") << QByteArray("a:{") << 18;
  QTest::addRow("'{' 123 special, after AB") << QByteArray("AB{") << 18;
  QTest::addRow("'{' 123 special, after xy") << QByteArray("xy{") << 18;
  QTest::addRow("DEL 127 special, after 12") << QByteArray("12\x7F") << 18;
  QTest::addRow("DEL 127 special, after a:") << QByteArray("a:\x7F") << 18;
  QTest::addRow("DEL 127 special, after AB") << QByteArray("AB\x7F") << 18;
  QTest::addRow("DEL 127 special, after xy") << QByteArray("xy\x7F") << 18;
  QTest::addRow("U+0080 special, after 12") << QByteArray("12\xC2\x80") << 18;
  QTest::addRow("U+0080 special, after a:") << QByteArray("a:\xC2\x80") << 18;
  QTest::addRow("U+0080 special, after AB") << QByteArray("AB\xC2\x80") << 18;
  QTest::addRow("U+0080 special, after xy") << QByteArray("xy\xC2\x80") << 18;
  QTest::addRow("NUL 0 special, after 12") << QByteArray("12\0", 3) << 18;
  QTest::addRow("NUL 0 special, after a:") << QByteArray("a:\0", 3) << 18;
  QTest::addRow("NUL 0 special, after AB") << QByteArray("AB\0", 3) << 18;
  QTest::addRow("NUL 0 special, after xy") << QByteArray("xy\0", 3) << 18;
  // clang-format on
}

void CheckKeyTest::scoresKeys() {
  QFETCH(QByteArray, key);
  QFETCH(int, score);
  QCOMPARE(CheckKey(View(key)), score);
}

void CheckKeyTest::scoresLongKeys_data() {
  QTest::addColumn<int>("length");
  // 2,427 is the longest key whose score stayed within 16 bits; longer ones must still be scored.
  QTest::addRow("2427 characters") << 2427;
  QTest::addRow("2428 characters") << 2428;
  QTest::addRow("100000 characters") << 100000;
}

void CheckKeyTest::scoresLongKeys() {
  QFETCH(int, length);
  const auto n = static_cast<std::size_t>(length);

  QCOMPARE(CheckKey(Distinct(n)), 100);
  QCOMPARE(CheckKey(Repeat("a", n - 1) + "b"), 100);
  QCOMPARE(CheckKey(Repeat("a", n)), 0);
  QCOMPARE(CheckKey(Repeat("\xC3\xA9", n)), 0);  // multi-byte block

  // A block repeated whole scores 0; one more character cuts the last copy short.
  std::string copies = Repeat("Aa1!", n / 4);
  QCOMPARE(CheckKey(copies), 0);
  copies.push_back('A');
  QCOMPARE(CheckKey(copies), 100);
}

void CheckKeyTest::agreesWithPlainLoopOnRandomShortKeys() {
  // A few symbols make repetitions common, so most keys use only the first ones; the rest are the
  // characters on either side of every class edge. The multi-byte entries make sure that comparing
  // bytes and comparing characters never disagree.
  // clang-format off
  const std::array<std::string_view, 22> alphabet = {
      "a", "b", "A", "1", "_", ":", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80",
      "/", "0", "9", "@", "Z", "[", "`", "z", "{", "\x7F", "\xC2\x80", "\xC2\x81", "\xC5\xB8"};
  // clang-format on
  QRandomGenerator random(20261207);
  for (int round = 0; round < 30000; ++round) {
    const int length = random.bounded(0, 13);
    const auto symbols = static_cast<unsigned>(
        random.bounded(1, round % 3 == 0 ? static_cast<int>(alphabet.size()) + 1 : 10));
    std::string block;
    const int block_length = random.bounded(1, 5);
    for (int i = 0; i < block_length; ++i) block.append(alphabet[random.bounded(symbols)]);
    // Half the keys are built from a repeated block, the rest are free.
    std::string key;
    if (round % 2 == 0) {
      key = Repeat(block, static_cast<std::size_t>(random.bounded(1, 5)));
    } else {
      for (int i = 0; i < length; ++i) key.append(alphabet[random.bounded(symbols)]);
    }
    const int expected = *morvane::reference::ReferenceCheckKeyUtf8(key);
    if (CheckKey(key) != expected) {
      QFAIL(qPrintable(QStringLiteral("key \"%1\" scored %2, expected %3")
                           .arg(QString::fromStdString(key))
                           .arg(CheckKey(key))
                           .arg(expected)));
    }
  }
}

QTEST_APPLESS_MAIN(CheckKeyTest)
#include "CheckKeyTest.moc"
