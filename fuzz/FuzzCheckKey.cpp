// Scores keys built from arbitrary code points and checks CheckKey and the quality report against
// the plain reference scorer; longer keys and raw bytes must still be answered in range.

#include "CharacterSet.h"
#include "FrontReader.h"
#include "QualityReport.h"
#include "ReferenceCheckKey.h"
#include "modCheckKey.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using morvane::Score;
using morvane::fuzzing::FrontReader;

// Beyond this many characters the quadratic reference would slow the fuzzer down.
constexpr std::size_t kLongestComparedKey = 400;

[[noreturn]] void Fail(const char* what, std::string_view key, long long got, long long expected) {
  std::fprintf(stderr, "%s: got %lld, expected %lld for a key of %zu bytes\n", what, got, expected,
               key.size());
  std::abort();
}

// One code point, drawn so that every interesting group turns up often: ASCII, the upper half of
// Windows-1252, C1 controls that the set lacks, and characters of two, three and four UTF-8
// bytes outside the set.
char32_t NextCodePoint(FrontReader& data) {
  const auto selector = data.Byte();
  if (selector < 0x80) return selector;
  switch (selector & 0x07U) {
    case 0:
    case 1:
      return morvane::CharacterFromCode(static_cast<morvane::CharCode>(0x80U | data.Byte()));
    case 2:
      return data.InRange(0x80, 0x9F);
    case 3:
      return data.InRange(0x100, 0x7FF);
    case 4: {
      const auto c = data.InRange(0x800, 0xFFFF);
      return c >= 0xD800 && c <= 0xDFFF ? c + 0x800 : c;  // no surrogates
    }
    case 5:
      return data.InRange(0x10000, 0x10FFFF);
    default:
      return data.InRange('A', 'z');
  }
}

// A key shaped by the first byte: plain, a block written several times in full, the same with a
// last copy cut short, or with one character of the last copy changed. Random bytes alone would
// almost never hit the repetitions that score 0.
std::u32string MakeKeyCodePoints(FrontReader& data) {
  const auto shape = data.Byte();
  const std::size_t copies = 2 + ((shape >> 2U) & 0x07U);
  const std::size_t tail = shape >> 5U;

  std::u32string block;
  while (!data.empty()) block.push_back(NextCodePoint(data));
  if ((shape & 0x03U) == 0 || block.empty()) return block;

  std::u32string key;
  for (std::size_t i = 0; i < copies; ++i) key += block;
  if ((shape & 0x03U) == 2) {
    key += block.substr(0, tail % block.size());
  } else if ((shape & 0x03U) == 3) {
    // Flipping low bits stays inside a 16-aligned run: below U+110000 and never a surrogate.
    key.back() = static_cast<char32_t>(key.back() ^ (1U + tail));
  }
  return key;
}

// The report on a key must be the report for its expected score (the bands themselves are pinned
// down by the unit tests), with the key written into it unchanged, whatever it holds.
void CheckReport(std::string_view key, Score score) {
  const morvane::QualityReport report = morvane::MakeQualityReport(key);
  const morvane::QualityReport expected = morvane::ReportForScore(key, score);
  if (report.box != expected.box || report.title != expected.title ||
      report.prompt != expected.prompt) {
    Fail("report does not match its score", key, score, score);
  }
  const std::string heading = "The Key Generated: " + std::string(key) + "\r\n\r\n";
  if (score >= 5 && report.prompt.compare(0, heading.size(), heading) != 0) {
    Fail("report does not give the key back unchanged", key, score, score);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  // Raw bytes, usually not UTF-8: no promise about the score beyond its range.
  const std::string_view raw(reinterpret_cast<const char*>(bytes), size);
  const Score raw_score = morvane::CheckKey(raw);
  if (raw_score < 0 || raw_score > 100) Fail("raw bytes scored out of range", raw, raw_score, 0);

  FrontReader data({bytes, size});
  const std::u32string code_points = MakeKeyCodePoints(data);
  const std::string key = morvane::reference::EncodeUtf8(code_points);

  const Score score = morvane::CheckKey(key);
  if (score < 0 || score > 100) Fail("score out of range", key, score, 0);
  if (code_points.size() <= kLongestComparedKey) {
    const Score expected = morvane::reference::ReferenceCheckKey(code_points);
    if (score != expected) Fail("CheckKey differs from the reference", key, score, expected);
  }
  CheckReport(key, score);
  return 0;
}
