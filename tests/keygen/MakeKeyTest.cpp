#include "CharacterSet.h"
#include "Module1.h"
#include "ReferenceCheckKey.h"
#include "ScriptedServices.h"

#include <QTest>

#include <cmath>
#include <set>
#include <stdexcept>

using morvane::ClassCode;
using morvane::KeyText;
using morvane::MakeKey;
using morvane::testing::ScriptedServices;

Q_DECLARE_METATYPE(ClassCode)

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
  void roundsDrawsLikeTheOriginal_data();
  void roundsDrawsLikeTheOriginal();
  void refusesUnknownClassCode();
  void reseedsFromTimeOfDay();
  void makesManyKeysAsOneAtATime_data();
  void makesManyKeysAsOneAtATime();
  void stopsMakingKeysWhenAsked();
};

void MakeKeyTest::makesKeysOfEveryClass_data() {
  QTest::addColumn<ClassCode>("classCode");
  QTest::addColumn<QString>("expectedCodes");  // the accepted codes as a string of ranges

  QTest::addRow("1 upper") << ClassCode::Upper << "65-90";
  QTest::addRow("2 digits") << ClassCode::Digits << "48-57";
  QTest::addRow("3 lower") << ClassCode::Lower << "97-122";
  QTest::addRow("12 upper, digits") << ClassCode::UpperDigits << "48-57 65-90";
  QTest::addRow("13 upper, lower") << ClassCode::UpperLower << "65-90 97-122";
  QTest::addRow("23 digits, lower") << ClassCode::DigitsLower << "48-57 97-122";
  QTest::addRow("123 all three") << ClassCode::UpperDigitsLower << "48-57 65-90 97-122";
  QTest::addRow("66 wide set") << ClassCode::Wide << "31-254";
}

void MakeKeyTest::makesKeysOfEveryClass() {
  QFETCH(ClassCode, classCode);
  QFETCH(QString, expectedCodes);

  std::set<int> expected;
  for (const QString& range : expectedCodes.split(' ')) {
    const QStringList bounds = range.split('-');
    for (int code = bounds[0].toInt(); code <= bounds[1].toInt(); ++code) expected.insert(code);
  }

  // Several cycles through every draw value: the key holds exactly the accepted codes, in order.
  ScriptedServices services(EveryDrawValue());
  const KeyText key = MakeKey(services, 255, classCode);
  const std::vector<morvane::CharCode> codes = CodesOf(key);
  QCOMPARE(codes.size(), std::size_t(255));
  const std::vector<int> in_order(expected.begin(), expected.end());
  for (std::size_t i = 0; i < codes.size(); ++i)
    QCOMPARE(int(codes[i]), in_order[i % in_order.size()]);

  // Draws 0 and 1000 are never accepted: a source stuck at the ends alternating with one good
  // draw still yields only good codes.
  ScriptedServices edges(
      {0.0F, std::nextafter(1.0F, 0.0F), static_cast<float>(*expected.begin()) / 1000.0F});
  const std::vector<morvane::CharCode> edge_codes = CodesOf(MakeKey(edges, 10, classCode));
  QCOMPARE(edge_codes, std::vector<morvane::CharCode>(10, morvane::CharCode(*expected.begin())));
  QCOMPARE(edges.draw_count, std::size_t(30));
}

void MakeKeyTest::emptyKeyDrawsNothing() {
  ScriptedServices services;
  QCOMPARE(MakeKey(services, 0, ClassCode::Digits), KeyText());
  QCOMPARE(services.draw_count, std::size_t(0));
}

void MakeKeyTest::roundsDrawsLikeTheOriginal_data() {
  QTest::addColumn<float>("draw");
  QTest::addColumn<int>("code");

  QTest::addRow("31 is the control character") << 0.031F << 31;
  QTest::addRow("254 is the last") << 0.254F << 254;
  QTest::addRow("tie 62.5 goes down to even") << 0.0625F << 62;
  QTest::addRow("tie 187.5 goes up to even") << 0.1875F << 188;
  // A float product would round to 39.5 and then to 40; the exact product is just below 39.5.
  QTest::addRow("exact product below a half") << std::nextafter(0.0395F, 0.0F) << 39;
}

void MakeKeyTest::roundsDrawsLikeTheOriginal() {
  QFETCH(float, draw);
  QFETCH(int, code);

  ScriptedServices services({draw});
  const std::vector<morvane::CharCode> codes = CodesOf(MakeKey(services, 3, ClassCode::Wide));
  QCOMPARE(codes, std::vector<morvane::CharCode>(3, morvane::CharCode(code)));
}

void MakeKeyTest::refusesUnknownClassCode() {
  ScriptedServices services;
  QVERIFY_THROWS_EXCEPTION(std::invalid_argument, MakeKey(services, 5, static_cast<ClassCode>(4)));
  QCOMPARE(services.draw_count, std::size_t(0));

  QCOMPARE(morvane::ClassCodeFromNumber(123), std::optional(ClassCode::UpperDigitsLower));
  QCOMPARE(morvane::ClassCodeFromNumber(66), std::optional(ClassCode::Wide));
  for (const long long number : {0LL, 4LL, 21LL, 321LL, 66LL + 256LL, -1LL}) {
    QCOMPARE(morvane::ClassCodeFromNumber(number), std::optional<ClassCode>());
  }
}

void MakeKeyTest::reseedsFromTimeOfDay() {
  ScriptedServices services;
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

  ScriptedServices one_by_one(ScrambledDraws());
  std::vector<KeyText> expected(static_cast<std::size_t>(count));
  for (KeyText& key : expected) key = MakeKey(one_by_one, key_length, classCode);

  ScriptedServices together(ScrambledDraws());
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
  ScriptedServices services(ScrambledDraws());
  int handed_on = 0;
  morvane::MakeKeys(services, 8, ClassCode::Lower, 1000,
                    [&handed_on](std::string_view) { return ++handed_on < 3; });
  QCOMPARE(handed_on, 3);
}

QTEST_APPLESS_MAIN(MakeKeyTest)
#include "MakeKeyTest.moc"
