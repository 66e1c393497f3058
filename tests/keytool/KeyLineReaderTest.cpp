// The tricky splits only: fuzz/FuzzKeyLines.cpp checks arbitrary bytes against a plain split, and
// that a reused reader starts afresh; the tool's own reads of standard input are tried in
// KeytoolProcessTest.
#include "KeyLineReader.h"
#include "MemorySource.h"

#include <QByteArray>
#include <QList>
#include <QTest>

#include <algorithm>
#include <limits>
#include <utility>

using morvane::keytool::ByteSource;
using morvane::keytool::KeyLineReader;
using morvane::keytool::ReadOutcome;
using morvane::testing::MemorySource;
using Status = ReadOutcome::Status;
using Lines = QList<QByteArray>;

Q_DECLARE_METATYPE(ReadOutcome::Status)

namespace {

constexpr std::size_t kDefault = KeyLineReader::kDefaultMaxLineBytes;

// Endless input: `pattern` again and again, at most 100 bytes a read.
class EndlessSource : public ByteSource {
 public:
  explicit EndlessSource(QByteArray pattern) : pattern_(std::move(pattern)) {}
  std::optional<std::size_t> Read(std::span<char> buffer) override {
    asked_for_nothing_ = asked_for_nothing_ || buffer.empty();  // which would read as the end
    const std::size_t count = std::min<std::size_t>(buffer.size(), 100);
    for (std::size_t i = 0; i < count; ++i) {
      buffer[i] = pattern_.at(
          static_cast<qsizetype>((delivered_ + i) % static_cast<std::size_t>(pattern_.size())));
    }
    delivered_ += count;
    return count;
  }
  std::size_t delivered() const { return delivered_; }
  bool asked_for_nothing() const { return asked_for_nothing_; }

 private:
  QByteArray pattern_;
  std::size_t delivered_ = 0;
  bool asked_for_nothing_ = false;
};

}  // namespace

class KeyLineReaderTest : public QObject {
  Q_OBJECT

 private slots:
  void splitsLines_data();
  void splitsLines();
  void endsBeforeTheInputDoes_data();
  void endsBeforeTheInputDoes();
};

void KeyLineReaderTest::splitsLines_data() {
  QTest::addColumn<QByteArray>("input");
  QTest::addColumn<std::size_t>("limit");
  QTest::addColumn<std::size_t>("chunk");
  QTest::addColumn<Lines>("lines");  // handed on before the outcome
  QTest::addColumn<Status>("status");
  QTest::addColumn<std::size_t>("line");

  // Lines straddle the decoder's pieces and the first buffer, which has to move and grow.
  const QByteArray block = "abcdefghijklmnopqrstuvwxyz\xf0\x9f\x98\x80";
  const QByteArray long_line = "x" + block.repeated(10000);

  const auto row = [](const char* name, const QByteArray& input, const Lines& lines, Status status,
                      std::size_t line, std::size_t limit = kDefault) {
    // Read in pieces that split lines, CR LF pairs, multi-byte characters and the byte-order mark.
    for (const std::size_t chunk :
         {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{65536}}) {
      QTest::addRow("%s, reads of %zu", name, chunk)
          << input << limit << chunk << lines << status << line;
    }
  };
  row("empty input", "", {}, Status::Finished, 0);
  row("CR LF; other CRs stay, also on a last line without LF", "a\rb\r\r\ncd\r", {"a\rb\r", "cd\r"},
      Status::Finished, 2);
  row("empty lines, no line after the last LF", "\n\r\n\n", {"", "", ""}, Status::Finished, 3);
  row("a last line of one byte", "ab\nc", {"ab", "c"}, Status::Finished, 2);
  row("multi-byte characters", "\xe2\x82\xac\xf0\x9f\x98\x80\n\xc3\xbc",
      {"\xe2\x82\xac\xf0\x9f\x98\x80", "\xc3\xbc"}, Status::Finished, 2);
  row("long line, no limit", "ab\n" + long_line + "\ncd", {"ab", long_line, "cd"}, Status::Finished,
      3, std::numeric_limits<std::size_t>::max());
  row("character cut short by LF on a later line", "ab\n\xe2\x82\ncd\n", {"ab"},
      Status::InvalidUtf8, 2);
  row("character cut short by the end", "ab\n\xf0\x9f\x98", {"ab"}, Status::InvalidUtf8, 2);
  row("a lone continuation byte between ASCII",
      "ab\nc\x80"
      "d\n",
      {"ab"}, Status::InvalidUtf8, 2);
  row("at the limit of 4 with CR LF", "abcd\r\nab", {"abcd", "ab"}, Status::Finished, 2, 4);
  row("over the limit of 4 in bytes", "ab\n\xe2\x82\xac\xe2\x82\xac\n", {"ab"}, Status::LineTooLong,
      2, 4);
  row("CR at the end counts towards the limit", "abcd\r", {}, Status::LineTooLong, 1, 4);
  row("a read that fails", "one\ntwo\nthr", {"one", "two"}, Status::ReadFailed, 3);
  // A mark at the very start is no part of the first key; anywhere else it is a character.
  row("byte-order mark at the start",
      "\xef\xbb\xbf"
      "abc\r\n\xef\xbb\xbf"
      "d",
      {"abc",
       "\xef\xbb\xbf"
       "d"},
      Status::Finished, 2);
  row("byte-order mark alone", "\xef\xbb\xbf", {}, Status::Finished, 0);
  row("byte-order mark, then an empty line", "\xef\xbb\xbf\n", {""}, Status::Finished, 1);
  row("byte-order mark cut short", "\xef\xbb", {}, Status::InvalidUtf8, 1);
  row("byte-order mark beside the limit of 4",
      "\xef\xbb\xbf"
      "abcd\nabcde",
      {"abcd"}, Status::LineTooLong, 2, 4);
}

void KeyLineReaderTest::splitsLines() {
  QFETCH(QByteArray, input);
  QFETCH(std::size_t, limit);
  QFETCH(std::size_t, chunk);
  QFETCH(Lines, lines);
  QFETCH(Status, status);
  QFETCH(std::size_t, line);

  KeyLineReader reader(limit);
  // A read after the last piece fails when that is the outcome.
  MemorySource source(std::string_view(input.constData(), static_cast<std::size_t>(input.size())),
                      chunk,
                      status == Status::ReadFailed
                          ? std::optional<std::size_t>(static_cast<std::size_t>(input.size()))
                          : std::nullopt);
  Lines read;
  const ReadOutcome outcome = reader.ReadAll(source, [&read](std::string_view bytes) {
    read.append(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return true;
  });
  QVERIFY(read == lines);  // QCOMPARE would print a long line whole
  QCOMPARE(outcome.status, status);
  QCOMPARE(outcome.line_number, line);
  QVERIFY(!source.asked_for_nothing());
}

void KeyLineReaderTest::endsBeforeTheInputDoes_data() {
  QTest::addColumn<QByteArray>("pattern");
  QTest::addColumn<std::size_t>("limit");
  QTest::addColumn<std::size_t>("stop_at");  // the line whose handler asks to stop; 0 for none
  QTest::addColumn<Status>("status");
  QTest::addColumn<std::size_t>("line");
  QTest::addColumn<std::size_t>("most_read");

  // The limit, a CR, an LF and the read that went past them.
  QTest::addRow("line over the limit of 1000")
      << QByteArray("x") << std::size_t{1000} << std::size_t{0} << Status::LineTooLong
      << std::size_t{1} << std::size_t{1102};
  QTest::addRow("line 4 over the limit of 1000")
      << QByteArray("abc\nabc\nabc\n" + QByteArray(20000, 'x')) << std::size_t{1000}
      << std::size_t{0} << Status::LineTooLong << std::size_t{4} << std::size_t{1114};
  QTest::addRow("line over the tool's limit")
      << QByteArray("x") << kDefault << std::size_t{0} << Status::LineTooLong << std::size_t{1}
      << kDefault + 102;
  QTest::addRow("handler stops at line 3") << QByteArray("key\n") << kDefault << std::size_t{3}
                                           << Status::Stopped << std::size_t{3} << std::size_t{100};
}

void KeyLineReaderTest::endsBeforeTheInputDoes() {
  QFETCH(QByteArray, pattern);
  QFETCH(std::size_t, limit);
  QFETCH(std::size_t, stop_at);
  QFETCH(Status, status);
  QFETCH(std::size_t, line);
  QFETCH(std::size_t, most_read);

  KeyLineReader reader(limit);
  EndlessSource source(pattern);
  std::size_t lines = 0;
  const ReadOutcome outcome =
      reader.ReadAll(source, [&lines, stop_at](std::string_view) { return ++lines != stop_at; });
  QCOMPARE(outcome.status, status);
  QCOMPARE(outcome.line_number, line);
  QVERIFY2(source.delivered() <= most_read, qPrintable(QString::number(source.delivered())));
  QVERIFY(!source.asked_for_nothing());
}

QTEST_APPLESS_MAIN(KeyLineReaderTest)
#include "KeyLineReaderTest.moc"
