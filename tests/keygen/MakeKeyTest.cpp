#include "CharacterSet.h"
#include "Module1.h"
#include "ReferenceCheckKey.h"
#include "ScriptedRandom.h"

#include <QTest>

#include <cmath>
#include <optional>

using morvane::ClassCode;
using morvane::KeyText;
using morvane::MakeKey;
using morvane::testing::ScriptedRandom;

Q_DECLARE_METATYPE(ClassCode)
Q_DECLARE_METATYPE(std::optional<ClassCode>)

namespace {

// Every draw value 0 to 1000 once, so each accepted code turns up in every cycle.
std::vector<float> EveryDrawValue() {
  std::vector<float> draws;
  for (int value = 0; value <= 1000; ++value) draws.push_back(static_cast<float>(value) / 1000.0F);
  return draws;
}

std::vector<morvane::CharCode> CodesOf(const KeyText& key) {
  std::vector<morvane::CharCode> codes;
  const std::optional<std::u32string> characters = morvane::reference::DecodeUtf8(key);
  for (const char32_t c : characters.value()) {
    codes.push_back(morvane::CodeOfCharacter(c));
  }
  return codes;
}

}  // namespace

class MakeKeyTest : public QObject {
  Q_OBJECT

 private slots:
  void makesKeysOfEveryClass_data();
  void makesKeysOfEveryClass();
  void emptyKeyDrawsNothing();
  void roundsDrawsToTheNearestCode_data();
  void roundsDrawsToTheNearestCode();
  void readsClassCodeNumbers_data();
  void readsClassCodeNumbers();
  void makesNoKeyForAValueOutsideTheClassCodes();
  void reseedsFromTimeOfDay();
  void makesManyKeysAsOneAtATime_data();
  void makesManyKeysAsOneAtATime();
  void stopsMakingKeysWhenAsked();
};

void MakeKeyTest::makesKeysOfEveryClass_data() {
  QTest::addColumn<ClassCode>("classCode");
  QTest::addColumn<QString>("accepted");  // every accepted character once, in the order of codes

  // clang-format off
  QTest::addRow("1 upper") << ClassCode::Upper << "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  QTest::addRow("2 digits") << ClassCode::Digits << "0123456789";
  QTest::addRow("3 lower") << ClassCode::Lower << "abcdefghijklmnopqrstuvwxyz";
  QTest::addRow("12 upper, digits") << ClassCode::UpperDigits << "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  QTest::addRow("13 upper, lower") << ClassCode::UpperLower << "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  QTest::addRow("23 digits, lower") << ClassCode::DigitsLower << "0123456789abcdefghijklmnopqrstuvwxyz";
  QTest::addRow("123 all three") << ClassCode::UpperDigitsLower << "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  // Codes 31 to 254 of Windows-1252: a control character, ASCII with DEL, the five unassigned codes
  // as C1 controls among the punctuation of 128-159, and Latin-1 up to the thorn.
  QTest::addRow("66 wide set") << ClassCode::Wide << "\x1f !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~\x7f"
                                                     "€\u0081‚ƒ„…†‡ˆ‰Š‹Œ\u008dŽ\u008f\u0090‘’“”•–—˜™š›œ\u009džŸ"
                                                     "\u00a0¡¢£¤¥¦§¨©ª«¬\u00ad®¯°±²³´µ¶·¸¹º»¼½¾¿ÀÁÂÃÄÅÆÇÈÉÊËÌÍÎÏÐÑÒÓÔÕÖ×ØÙÚÛÜÝÞßàáâãäåæçèéêëìíîïðñòóôõö÷øùúûüýþ";
  // clang-format on
}

void MakeKeyTest::makesKeysOfEveryClass() {
  QFETCH(ClassCode, classCode);
  QFETCH(QString, accepted);

  // Through every draw value once, in order: the key holds each accepted character once, in order,
  // and the next key starts over.
  const auto length = static_cast<std::uint8_t>(accepted.size());
  ScriptedRandom services(EveryDrawValue());
  QCOMPARE(QString::fromStdString(MakeKey(services, length, classCode)), accepted);
  QCOMPARE(QString::fromStdString(MakeKey(services, length, classCode)), accepted);

  // Draws 0 and 1000 are never accepted: a source stuck at the ends alternating with one good
  // draw still yields only good codes.
  const QChar first = accepted.front();
  ScriptedRandom edges(
      {0.0F, std::nextafter(1.0F, 0.0F), static_cast<float>(first.unicode()) / 1000.0F});
  QCOMPARE(QString::fromStdString(MakeKey(edges, 10, classCode)), QString(10, first));
  QCOMPARE(edges.draw_count, std::size_t(30));
}

void MakeKeyTest::emptyKeyDrawsNothing() {
  ScriptedRandom services;
  QCOMPARE(MakeKey(services, 0, ClassCode::Digits), KeyText());
  QCOMPARE(services.draw_count, std::size_t(0));
}

void MakeKeyTest::roundsDrawsToTheNearestCode_data() {
  QTest::addColumn<float>("draw");
  QTest::addColumn<int>("code");

  QTest::addRow("31 is the control character") << 0.031F << 31;
  QTest::addRow("254 is the last") << 0.254F << 254;
  QTest::addRow("tie 62.5 goes down to even") << 0.0625F << 62;
  QTest::addRow("tie 187.5 goes up to even") << 0.1875F << 188;
  // A float product would round to 39.5 and then to 40; the exact product is just below 39.5.
  QTest::addRow("exact product below a half") << std::nextafter(0.0395F, 0.0F) << 39;
}

void MakeKeyTest::roundsDrawsToTheNearestCode() {
  QFETCH(float, draw);
  QFETCH(int, code);

  ScriptedRandom services({draw});
  const std::vector<morvane::CharCode> codes = CodesOf(MakeKey(services, 3, ClassCode::Wide));
  QCOMPARE(codes, std::vector<morvane::CharCode>(3, morvane::CharCode(code)));
}

void MakeKeyTest::readsClassCodeNumbers_data() {
  QTest::addColumn<long long>("number");
  QTest::addColumn<std::optional<ClassCode>>("code");

  // clang-format off
  QTest::addRow("123") << 123LL << std::optional(ClassCode::UpperDigitsLower);
  QTest::addRow("66") << 66LL << std::optional(ClassCode::Wide);
  QTest::addRow("0") << 0LL << std::optional<ClassCode>();
  QTest::addRow("4") << 4LL << std::optional<ClassCode>();
  QTest::addRow("21, digits the wrong way round") << 21LL << std::optional<ClassCode>();
  QTest::addRow("321") << 321LL << std::optional<ClassCode>();
  QTest::addRow("66 + 256, the byte of 66") << 66LL + 256LL << std::optional<ClassCode>();
  QTest::addRow("-1") << -1LL << std::optional<ClassCode>();
  // clang-format on
}

void MakeKeyTest::readsClassCodeNumbers() {
  QFETCH(long long, number);
  QFETCH(std::optional<ClassCode>, code);
  QCOMPARE(morvane::ClassCodeFromNumber(number), code);
}

// Only a cast makes a value outside the enumeration; it accepts nothing, so no key and no draw.
void MakeKeyTest::makesNoKeyForAValueOutsideTheClassCodes() {
  ScriptedRandom services;
  QCOMPARE(MakeKey(services, 5, static_cast<ClassCode>(4)), KeyText());
  QCOMPARE(services.draw_count, std::size_t(0));
}

void MakeKeyTest::reseedsFromTimeOfDay() {
  ScriptedRandom services;
  services.time_of_day = 3723.5F;
  morvane::RandomizeFromTimer(services);
  QCOMPARE(services.reseeds, std::vector<float>{3723.5F});
  QCOMPARE(services.draw_count, std::size_t(0));
}

// Draws that name every code 0 to 1000 in a scrambled order, so that keys of every class differ
// from one another and accepted draws come at uneven distances.
std::vector<float> ScrambledDraws() {
  std::vector<float> draws;
  for (int i = 0; i <= 1000; ++i) draws.push_back(static_cast<float>((i * 337) % 1001) / 1000.0F);
  return draws;
}

void MakeKeyTest::makesManyKeysAsOneAtATime_data() {
  QTest::addColumn<ClassCode>("classCode");
  QTest::addColumn<int>("length");
  QTest::addColumn<int>("count");
  QTest::addRow("twelve digits, 40 times") << ClassCode::Digits << 12 << 40;
  QTest::addRow("the longest key, 3 times") << ClassCode::UpperDigitsLower << 255 << 3;
  QTest::addRow("one character, 500 times") << ClassCode::Wide << 1 << 500;
  QTest::addRow("empty keys draw nothing") << ClassCode::Lower << 0 << 5;
  QTest::addRow("no keys") << ClassCode::Upper << 12 << 0;
}

void MakeKeyTest::makesManyKeysAsOneAtATime() {
  QFETCH(ClassCode, classCode);
  QFETCH(int, length);
  QFETCH(int, count);
  const auto key_length = static_cast<std::uint8_t>(length);

  ScriptedRandom one_by_one(ScrambledDraws());
  std::vector<KeyText> expected(static_cast<std::size_t>(count));
  for (KeyText& key : expected) key = MakeKey(one_by_one, key_length, classCode);

  ScriptedRandom together(ScrambledDraws());
  std::vector<KeyText> made;
  morvane::MakeKeys(together, key_length, classCode, static_cast<std::size_t>(count),
                    [&made](std::string_view key) {
                      made.emplace_back(key);
                      return true;
                    });
  QCOMPARE(made, expected);
  QCOMPARE(together.draw_count, one_by_one.draw_count);
}

void MakeKeyTest::stopsMakingKeysWhenAsked() {
  ScriptedRandom services(ScrambledDraws());
  int handed_on = 0;
  morvane::MakeKeys(services, 8, ClassCode::Lower, 1000,
                    [&handed_on](std::string_view) { return ++handed_on < 3; });
  QCOMPARE(handed_on, 3);
}

QTEST_APPLESS_MAIN(MakeKeyTest)
#include "MakeKeyTest.moc"
