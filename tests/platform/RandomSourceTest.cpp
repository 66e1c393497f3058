// The production random source, judged by its output. Each statistical check has a false-alarm
// rate below 1e-8, so the suite as a whole fails by chance far less than once in a million runs,
// yet a source that lost a few bits per draw (a byte fed twice, a bit stuck) fails at once.
#include "CharacterSet.h"
#include "Module1.h"
#include "RandomSource.h"
#include "ReferenceCheckKey.h"
#include "SystemRandomServices.h"

#include <QTest>

#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <span>
#include <vector>

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

// `count` draws of `source`, one Next at a time when `batch` is 0, else by Fill in batches.
std::vector<float> Draw(morvane::RandomSource& source, std::size_t count, std::size_t batch) {
  std::vector<float> draws(count);
  if (batch == 0) {
    for (float& draw : draws) draw = source.Next();
  }
  for (std::size_t done = 0; batch > 0 && done < count; done += batch) {
    source.Fill(std::span(draws).subspan(done, std::min(batch, count - done)));
  }
  return draws;
}

}  // namespace

class RandomSourceTest : public QObject {
  Q_OBJECT

 private slots:
  // Draws are 24-bit numbers over 2^24. Each byte of a draw must be uniform, and independent of
  // the other bytes of its draw and of each byte of the next draw: the low nibbles of two bytes,
  // and their high nibbles, must each fill 256 cells evenly. A byte fed twice, or bytes shared by
  // two draws, put the pairs on the diagonal; a stuck bit leaves half the cells empty.
  // Keys take their draws in batches, which must be as good as single draws; batches that do not
  // divide a block cross from one block into the next.
  void drawsAreUniformIn24Bits_data() {
    QTest::addColumn<int>("batch");  // draws per Fill; 0 for one Next at a time
    QTest::addRow("one at a time") << 0;
    QTest::addRow("batches of 1000") << 1000;
    QTest::addRow("batches of 65537") << 65537;
  }
  void drawsAreUniformIn24Bits() {
    QFETCH(int, batch);
    morvane::RandomSource source;
    source.Reseed(43200.25F);  // the time of day is mixed in and must not spoil the draws
    const std::vector<float> draws = Draw(source, kDraws, static_cast<std::size_t>(batch));
    std::vector<std::array<unsigned, 3>> bytes(kDraws);
    for (std::size_t i = 0; i < draws.size(); ++i) {
      QVERIFY(draws[i] >= 0.0F && draws[i] < 1.0F);
      const double scaled = std::ldexp(static_cast<double>(draws[i]), 24);
      QCOMPARE(scaled, std::floor(scaled));
      const auto bits = static_cast<unsigned>(scaled);
      for (unsigned k = 0; k < 3; ++k) bytes[i][k] = (bits >> (8 * k)) & 0xFFU;
    }

    const auto check = [](const std::array<int, 256>& counts, int total) {
      const double chi_square = ChiSquare(counts, total);
      return chi_square < kChiSquare255 ? QString() : QString::number(chi_square);
    };
    for (unsigned k = 0; k < 3; ++k) {
      std::array<int, 256> counts{};
      for (const auto& draw : bytes) ++counts[draw[k]];
      const QString failed = check(counts, kDraws);
      QVERIFY2(failed.isEmpty(), qPrintable(QStringLiteral("byte %1: %2").arg(k).arg(failed)));
    }
    for (std::size_t next = 0; next < 2; ++next) {
      for (unsigned j = 0; j < 3; ++j) {
        for (unsigned k = next == 0 ? j + 1 : 0; k < 3; ++k) {
          std::array<int, 256> low{};
          std::array<int, 256> high{};
          for (std::size_t i = 0; i + next < bytes.size(); ++i) {
            const unsigned a = bytes[i][j];
            const unsigned b = bytes[i + next][k];
            ++low[(a & 0x0FU) | ((b & 0x0FU) << 4U)];
            ++high[(a >> 4U) | (b & 0xF0U)];
          }
          const QString failed = check(low, kDraws - static_cast<int>(next)) +
                                 check(high, kDraws - static_cast<int>(next));
          QVERIFY2(failed.isEmpty(),
                   qPrintable(QStringLiteral("byte %1 with byte %2 of draw +%3: %4")
                                  .arg(j)
                                  .arg(k)
                                  .arg(next)
                                  .arg(failed)));
        }
      }
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
    morvane::SystemRandomServices services;
    morvane::RandomizeFromTimer(services);
    std::string all;
    for (int i = 0; i < keys; ++i) all += morvane::MakeKey(services, 255, classCode);
    const std::set<morvane::CharCode> codes = CodesIn(all);
    QCOMPARE(codes.size(), static_cast<std::size_t>(last - first + 1));
    QCOMPARE(int(*codes.begin()), first);
    QCOMPARE(int(*codes.rbegin()), last);
  }

  // What a key was made from is gone at once: the bytes of every draw handed out read 0, the
  // bytes still to come do not. A block holds 21,846 draws.
  void wipesTheBytesItHandsOut_data() {
    QTest::addColumn<int>("batch");  // draws per Fill; 0 for one Next at a time
    QTest::addColumn<int>("draws");
    QTest::addColumn<int>("wipedBytes");  // at the start of the block drawn from last
    // clang-format off
    QTest::addRow("one draw") << 0 << 1 << 3;
    QTest::addRow("1000 draws, one at a time") << 0 << 1000 << 3000;
    QTest::addRow("1000 draws in one batch") << 1000 << 1000 << 3000;
    QTest::addRow("a block and one more, one at a time") << 0 << 21847 << 3;
    QTest::addRow("a block and one more, in batches") << 1000 << 21847 << 3;
    // clang-format on
  }
  void wipesTheBytesItHandsOut() {
    QFETCH(int, batch);
    QFETCH(int, draws);
    QFETCH(int, wipedBytes);
    morvane::RandomSource source;
    Draw(source, static_cast<std::size_t>(draws), static_cast<std::size_t>(batch));
    const std::span<const unsigned char> block = source.Block();
    const auto zero = [](unsigned char byte) { return byte == 0; };
    const auto wiped_end = block.begin() + wipedBytes;
    QVERIFY(std::all_of(block.begin(), wiped_end, zero));
    QVERIFY(!std::all_of(wiped_end, block.end(), zero));
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
