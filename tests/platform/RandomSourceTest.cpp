// The production random source, judged by its output. Each statistical check has a false-alarm
// rate below 1e-8, so the suite as a whole fails by chance far less than once in a million runs,
// yet a source that lost a few bits per draw (a byte fed twice, a bit stuck) fails at once.
#include "CharacterSet.h"
#include "Module1.h"
#include "RandomSource.h"
#include "ReferenceCheckKey.h"
#include "SystemServices.h"

#include <QTest>

#include <array>
#include <cmath>
#include <set>

using morvane::ClassCode;

Q_DECLARE_METATYPE(ClassCode)

namespace {

constexpr int kDraws = 1 << 20;

// The upper 0.000000001 point of the chi-square distribution with 255 degrees of freedom
// (Wilson-Hilferty); its mean is 255.
constexpr double kChiSquare255 = 415.0;

double ChiSquare(const std::array<int, 256>& counts, int total) {
  const double expected = total / 256.0;
  double sum = 0;
  for (const int count : counts) sum += (count - expected) * (count - expected) / expected;
  return sum;
}

std::set<morvane::CharCode> CodesIn(const std::string& keys) {
  std::set<morvane::CharCode> codes;
  const std::u32string characters = morvane::reference::DecodeUtf8(keys).value();
  for (const char32_t c : characters) {
    codes.insert(morvane::CodeOfCharacter(c));
  }
  return codes;
}

}  // namespace

class RandomSourceTest : public QObject {
  Q_OBJECT

 private slots:
  // Draws are 24-bit numbers over 2^24. Each byte of a draw must be uniform, and so must pairs of
  // neighbouring bytes, read low to high through the draws one after the other: a byte fed twice
  // or shared by two draws puts the pairs on the diagonal, a stuck bit leaves half the cells empty.
  void drawsAreUniformIn24Bits() {
    morvane::RandomSource source;
    source.Reseed(43200.25F);  // the time of day is mixed in and must not spoil the draws
    std::array<std::array<int, 256>, 3> bytes{};
    std::array<std::array<int, 256>, 2> neighbours{};
    unsigned previous = 0;
    for (int i = 0; i < kDraws; ++i) {
      const float draw = source.Next();
      QVERIFY(draw >= 0.0F && draw < 1.0F);
      const double scaled = std::ldexp(static_cast<double>(draw), 24);
      QCOMPARE(scaled, std::floor(scaled));
      const auto bits = static_cast<unsigned>(scaled);
      for (unsigned k = 0; k < 3; ++k) {
        const unsigned byte = (bits >> (8 * k)) & 0xFFU;
        ++bytes[k][byte];
        if (i > 0 || k > 0) {
          ++neighbours[0][(previous & 0x0FU) | ((byte & 0x0FU) << 4U)];
          ++neighbours[1][(previous >> 4U) | (byte & 0xF0U)];
        }
        previous = byte;
      }
    }
    for (const auto& counts : bytes) {
      const double chi_square = ChiSquare(counts, kDraws);
      QVERIFY2(chi_square < kChiSquare255, qPrintable(QString::number(chi_square)));
    }
    for (const auto& counts : neighbours) {
      const double chi_square = ChiSquare(counts, 3 * kDraws - 1);
      QVERIFY2(chi_square < kChiSquare255, qPrintable(QString::number(chi_square)));
    }
  }

  // With 2.6 % of draws accepted for digits, a key of 255 digits holds each digit unless the
  // source is badly skewed (all ten appear with probability 1 - 2e-11).
  void keysHoldEveryCharacterOfTheirClass_data() {
    QTest::addColumn<ClassCode>("classCode");
    QTest::addColumn<int>("keys");  // of 255 characters
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addRow("digits") << ClassCode::Digits << 1 << 48 << 57;
    QTest::addRow("upper case") << ClassCode::Upper << 8 << 65 << 90;
    QTest::addRow("lower case") << ClassCode::Lower << 8 << 97 << 122;
    QTest::addRow("single-byte set") << ClassCode::Wide << 30 << 31 << 254;
  }
  void keysHoldEveryCharacterOfTheirClass() {
    QFETCH(ClassCode, classCode);
    QFETCH(int, keys);
    QFETCH(int, first);
    QFETCH(int, last);
    morvane::SystemServices services;
    morvane::RandomizeFromTimer(services);
    std::string all;
    for (int i = 0; i < keys; ++i) all += morvane::MakeKey(services, 255, classCode);
    const std::set<morvane::CharCode> codes = CodesIn(all);
    QCOMPARE(codes.size(), static_cast<std::size_t>(last - first + 1));
    QCOMPARE(int(*codes.begin()), first);
    QCOMPARE(int(*codes.rbegin()), last);
  }

  // The same time of day must not give the same key: anyone could recompute it.
  void theSameSeedGivesDifferentKeys() {
    morvane::RandomSource first;
    morvane::RandomSource second;
    first.Reseed(100.0F);
    second.Reseed(100.0F);
    std::array<float, 8> first_draws{};
    std::array<float, 8> second_draws{};
    for (std::size_t i = 0; i < first_draws.size(); ++i) {
      first_draws[i] = first.Next();
      second_draws[i] = second.Next();
    }
    QVERIFY(first_draws != second_draws);
  }
};

QTEST_APPLESS_MAIN(RandomSourceTest)
#include "RandomSourceTest.moc"
