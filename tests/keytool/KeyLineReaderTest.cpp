#include "KeyLineReader.h"

#include <QByteArray>
#include <QList>
#include <QTest>

#include <array>
#include <limits>
#include <string>
#include <vector>

using morvane::keytool::ByteSource;
using morvane::keytool::KeyLineReader;
using morvane::keytool::MemorySource;
using morvane::keytool::ReadOutcome;
using Status = ReadOutcome::Status;

Q_DECLARE_METATYPE(ReadOutcome::Status)

namespace {

using Lines = QList<QByteArray>;

// Stands for a source that shows its whole input in place, as a mapped file does.
constexpr std::size_t kInPlace = 0;
// Read sizes that make lines, CR LF pairs and multi-byte characters straddle the reads.
constexpr std::array<std::size_t, 6> kChunkSizes = {kInPlace, 1, 2, 3, 7, 65536};

QByteArray HowRead(std::size_t chunk_size) {
  return chunk_size == kInPlace ? QByteArray("in place")
                                : "reads of " + QByteArray::number(chunk_size);
}

class InPlaceSource : public ByteSource {
 public:
  explicit InPlaceSource(std::string_view bytes) : bytes_(bytes) {}
  std::optional<std::size_t> Read(std::span<char> /*buffer*/) override { return std::nullopt; }
  std::optional<std::string_view> WholeInput() override { return bytes_; }

 private:
  std::string_view bytes_;
};

struct Result {
  Lines lines;
  ReadOutcome outcome;
};

Result ReadWith(KeyLineReader& reader, ByteSource& source) {
  Result result;
  result.outcome = reader.ReadAll(source, [&result](std::string_view line) {
    result.lines.append(QByteArray(line.data(), static_cast<qsizetype>(line.size())));
  });
  return result;
}

Result Read(const QByteArray& input, std::size_t chunk_size,
            std::size_t max_line_bytes = KeyLineReader::kDefaultMaxLineBytes) {
  const std::string_view bytes(input.constData(), static_cast<std::size_t>(input.size()));
  KeyLineReader reader(max_line_bytes);
  if (chunk_size == kInPlace) {
    InPlaceSource source(bytes);
    return ReadWith(reader, source);
  }
  MemorySource source(bytes, chunk_size);
  return ReadWith(reader, source);
}

// Hands out its bytes, then fails.
class FailingSource : public ByteSource {
 public:
  explicit FailingSource(std::string_view before_failure) : bytes_(before_failure) {}
  std::optional<std::size_t> Read(std::span<char> buffer) override {
    if (bytes_.empty()) return std::nullopt;
    const std::size_t count = std::min(buffer.size(), bytes_.size());
    std::copy_n(bytes_.data(), count, buffer.data());
    bytes_.remove_prefix(count);
    return count;
  }

 private:
  std::string_view bytes_;
};

}  // namespace

class KeyLineReaderTest : public QObject {
  Q_OBJECT

 private slots:
  void splitsLines_data();
  void splitsLines();
  void stopsAtInvalidUtf8_data();
  void stopsAtInvalidUtf8();
  void limitsLineLength_data();
  void limitsLineLength();
  void holdsLinesLargerThanItsFirstBuffer_data();
  void holdsLinesLargerThanItsFirstBuffer();
  void reportsReadFailureAfterEarlierLines();
  void startsAfreshOnEachInput();
};

void KeyLineReaderTest::splitsLines_data() {
  QTest::addColumn<QByteArray>("input");
  QTest::addColumn<Lines>("lines");
  QTest::addColumn<std::size_t>("chunk_size");

  struct Case {
    const char* name;
    QByteArray input;
    Lines lines;
  };
  const std::vector<Case> cases = {
      {"empty input", "", {}},
      {"one line ending in LF", "abc\n", {"abc"}},
      {"last line without LF", "abc\ndef", {"abc", "def"}},
      {"CR LF", "abc\r\ndef\r\n", {"abc", "def"}},
      {"only the CR right before LF goes", QByteArray("a\rb\r\r\n"), {"a\rb\r"}},
      {"CR at the end without LF stays", "abc\r", {"abc\r"}},
      {"empty lines", "\n\n", {"", ""}},
      {"CR LF alone is an empty key", "\r\n", {""}},
      {"LF then text", "\nx", {"", "x"}},
      {"multi-byte characters", "\xe2\x82\xac\xf0\x9f\x98\x80\n\xc3\xbc", {"€😀", "ü"}},
      {"NUL is a character", QByteArray("a\0b\n", 4), {QByteArray("a\0b", 3)}},
      {"largest code point", "\xf4\x8f\xbf\xbf\n", {"\xf4\x8f\xbf\xbf"}},
      {"byte order mark kept",
       "\xef\xbb\xbf"
       "ab\n",
       {"\xef\xbb\xbf"
        "ab"}},
  };
  for (const auto& row : cases) {
    for (const std::size_t chunk : kChunkSizes) {
      QTest::addRow("%s, %s", row.name, HowRead(chunk).constData())
          << row.input << row.lines << chunk;
    }
  }
}

void KeyLineReaderTest::splitsLines() {
  QFETCH(QByteArray, input);
  QFETCH(Lines, lines);
  QFETCH(std::size_t, chunk_size);

  const Result result = Read(input, chunk_size);
  QCOMPARE(result.lines, lines);
  QCOMPARE(result.outcome.status, Status::Finished);
  QCOMPARE(result.outcome.line_number, static_cast<std::size_t>(lines.size()));
}

void KeyLineReaderTest::stopsAtInvalidUtf8_data() {
  QTest::addColumn<QByteArray>("input");
  QTest::addColumn<Lines>("lines_before");
  QTest::addColumn<std::size_t>("faulty_line");
  QTest::addColumn<std::size_t>("chunk_size");

  struct Case {
    const char* name;
    QByteArray input;
    Lines lines_before;
    std::size_t faulty_line;
  };
  const std::vector<Case> cases = {
      {"stray byte on line 2", "abc\n\xff\nok\n", {"abc"}, 2},
      {"lone continuation byte", "\x80\n", {}, 1},
      {"character cut short by LF", "ab\xe2\x82\ncd\n", {}, 1},
      {"character cut short by CR LF", "\xe2\x82\r\n", {}, 1},
      {"character cut short by the end", "ab\n\xf0\x9f\x98", {"ab"}, 2},
      {"overlong slash", "\xc0\xaf\n", {}, 1},
      {"overlong NUL", "\xe0\x80\x80\n", {}, 1},
      {"UTF-16 surrogate", "ok\n\xed\xa0\x80\n", {"ok"}, 2},
      {"beyond U+10FFFF", "\xf4\x90\x80\x80\n", {}, 1},
      {"invalid lead byte", "a\nb\n\xfe\n", {"a", "b"}, 3},
      {"Windows-1252 byte", "caf\xe9\n", {}, 1},
  };
  for (const auto& row : cases) {
    for (const std::size_t chunk : kChunkSizes) {
      QTest::addRow("%s, %s", row.name, HowRead(chunk).constData())
          << row.input << row.lines_before << row.faulty_line << chunk;
    }
  }
}

void KeyLineReaderTest::stopsAtInvalidUtf8() {
  QFETCH(QByteArray, input);
  QFETCH(Lines, lines_before);
  QFETCH(std::size_t, faulty_line);
  QFETCH(std::size_t, chunk_size);

  const Result result = Read(input, chunk_size);
  QCOMPARE(result.lines, lines_before);
  QCOMPARE(result.outcome.status, Status::InvalidUtf8);
  QCOMPARE(result.outcome.line_number, faulty_line);
}

void KeyLineReaderTest::limitsLineLength_data() {
  QTest::addColumn<QByteArray>("input");
  QTest::addColumn<Lines>("lines");
  QTest::addColumn<Status>("status");
  QTest::addColumn<std::size_t>("line_number");

  // The limit is 4 bytes.
  QTest::addRow("at the limit") << QByteArray("abcd\nab") << Lines{"abcd", "ab"} << Status::Finished
                                << std::size_t{2};
  QTest::addRow("at the limit with CR LF")
      << QByteArray("abcd\r\n") << Lines{"abcd"} << Status::Finished << std::size_t{1};
  QTest::addRow("one byte over") << QByteArray("ab\nabcde\nab\n") << Lines{"ab"}
                                 << Status::LineTooLong << std::size_t{2};
  QTest::addRow("kept CR counts at the end")
      << QByteArray("abcd\r") << Lines{} << Status::LineTooLong << std::size_t{1};
  QTest::addRow("endless line") << QByteArray(100000, 'x') << Lines{} << Status::LineTooLong
                                << std::size_t{1};
  QTest::addRow("multi-byte characters count in bytes")
      << QByteArray("\xe2\x82\xac\xe2\x82\xac\n") << Lines{} << Status::LineTooLong
      << std::size_t{1};
}

void KeyLineReaderTest::limitsLineLength() {
  QFETCH(QByteArray, input);
  QFETCH(Lines, lines);
  QFETCH(Status, status);
  QFETCH(std::size_t, line_number);

  for (const std::size_t chunk : kChunkSizes) {
    const Result result = Read(input, chunk, 4);
    QCOMPARE(result.lines, lines);
    QCOMPARE(result.outcome.status, status);
    QCOMPARE(result.outcome.line_number, line_number);
  }
}

void KeyLineReaderTest::holdsLinesLargerThanItsFirstBuffer_data() {
  QTest::addColumn<Lines>("lines");

  QByteArray long_line;
  for (int i = 0; i < 300000; ++i) long_line.append(static_cast<char>('a' + i % 26));
  QByteArray long_characters;
  for (int i = 0; i < 100000; ++i) long_characters.append("\xf0\x9f\x98\x80");

  QTest::addRow("one long line") << Lines{long_line};
  QTest::addRow("short, long, short") << Lines{"ab", long_line, "cd"};
  QTest::addRow("long lines of 4-byte characters") << Lines{long_characters, long_characters};
  QTest::addRow("many short lines") << Lines(50000, "Abc1!x");
}

void KeyLineReaderTest::holdsLinesLargerThanItsFirstBuffer() {
  QFETCH(Lines, lines);

  const QByteArray input = lines.join('\n') + '\n';
  for (const std::size_t chunk :
       {kInPlace, std::size_t{4093}, std::size_t{65536}, std::size_t{1} << 20U}) {
    for (const std::size_t limit :
         {KeyLineReader::kDefaultMaxLineBytes, std::numeric_limits<std::size_t>::max()}) {
      const Result result = Read(input, chunk, limit);
      QCOMPARE(result.outcome.status, Status::Finished);
      QVERIFY(result.lines == lines);
    }
  }
}

void KeyLineReaderTest::reportsReadFailureAfterEarlierLines() {
  FailingSource source("one\ntwo\nthr");
  KeyLineReader reader;
  const Result result = ReadWith(reader, source);
  QCOMPARE(result.lines, (Lines{"one", "two"}));
  QCOMPARE(result.outcome.status, Status::ReadFailed);
  QCOMPARE(result.outcome.line_number, std::size_t{3});
}

void KeyLineReaderTest::startsAfreshOnEachInput() {
  KeyLineReader reader;
  // A faulty long line, checked in pieces, leaves the decoder in the middle of the euro sign.
  const QByteArray faulty = "\xff" + QByteArray(16382, 'a') + "\xe2\x82\xac\n";
  MemorySource first(std::string_view(faulty.constData(), static_cast<std::size_t>(faulty.size())));
  QCOMPARE(ReadWith(reader, first).outcome.status, Status::InvalidUtf8);

  MemorySource rest_of_euro(
      "\x82\xac"
      "x\n");
  const Result second = ReadWith(reader, rest_of_euro);
  QCOMPARE(second.outcome.status, Status::InvalidUtf8);
  QCOMPARE(second.outcome.line_number, std::size_t{1});

  MemorySource fine("yz\n");
  const Result third = ReadWith(reader, fine);
  QCOMPARE(third.outcome.status, Status::Finished);
  QCOMPARE(third.lines, Lines{"yz"});
}

QTEST_APPLESS_MAIN(KeyLineReaderTest)
#include "KeyLineReaderTest.moc"
