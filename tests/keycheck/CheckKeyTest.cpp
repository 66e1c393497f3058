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
  QTest::addRow("one emoji three times")
      << QByteArray("\xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80") << 0;
  QTest::addRow("two different emoji")
      << QByteArray("\xF0\x9F\x98\x80\xF0\x9F\x98\x81\xF0\x9F\x98\x80\xF0\x9F\x98\x81x") << 30;

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
}

void CheckKeyTest::scoresKeys() {
  QFETCH(QByteArray, key);
  QFETCH(int, score);
  QCOMPARE(CheckKey(View(key)), score);
}

void CheckKeyTest::scoresLongKeys_data() {
  QTest::addColumn<int>("length");
  // 2,427 is the longest key whose score stayed within 16 bits; longer ones must still be scored.
  for (const int length : {2427, 2428, 100000}) {
    QTest::addRow("%d characters", length) << length;
  }
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
  // A small alphabet makes repetitions common; the multi-byte entries make sure that comparing
  // bytes and comparing characters never disagree.
  const std::array<std::string_view, 9> alphabet = {
      "a", "b", "A", "1", "_", ":", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80"};
  QRandomGenerator random(20261207);
  for (int round = 0; round < 20000; ++round) {
    const int length = random.bounded(0, 13);
    const auto symbols = static_cast<unsigned>(random.bounded(1, 10));
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
