// The tricky splits only: fuzz/FuzzKeyLines.cpp checks arbitrary bytes against a plain split, and
// that a reused reader starts afresh.
#include "KeyLineReader.h"

#include <QByteArray>
#include <QList>
#include <QTest>

#include <algorithm>
#include <limits>

using morvane::keytool::ByteSource;
using morvane::keytool::KeyLineReader;
using morvane::keytool::ReadOutcome;
using Status = ReadOutcome::Status;
using Lines = QList<QByteArray>;

Q_DECLARE_METATYPE(ReadOutcome::Status)

namespace {

constexpr std::size_t kInPlace = 0;
constexpr std::size_t kDefault = KeyLineReader::kDefaultMaxLineBytes;

// Shows its input whole in place, as a mapped file does, or hands it out in reads of at most
// `chunk` bytes and then, when `fails`, fails instead of reporting the end.
class TestSource : public ByteSource {
 public:
  TestSource(const QByteArray& bytes, std::size_t chunk, bool fails = false)
      : bytes_(bytes.constData(), static_cast<std::size_t>(bytes.size())),
        chunk_(chunk),
        fails_(fails) {}
  std::optional<std::size_t> Read(std::span<char> buffer) override {
    const std::size_t count = std::min({buffer.size(), chunk_, bytes_.size()});
    if (count == 0 && fails_) return std::nullopt;
    std::copy_n(bytes_.data(), count, buffer.data());
    bytes_.remove_prefix(count);
    return count;
  }
  std::optional<std::string_view> WholeInput() override {
    return chunk_ == kInPlace ? std::optional(bytes_) : std::nullopt;
  }

 private:
  std::string_view bytes_;
  std::size_t chunk_;
  bool fails_;
};

}  // namespace

class KeyLineReaderTest : public QObject {
  Q_OBJECT

 private slots:
  void splitsLines_data();
  void splitsLines();
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
    // Read in place and in pieces that split lines, CR LF pairs and multi-byte characters; a read
    // after the last piece fails when that is the outcome.
    for (const std::size_t chunk :
         {kInPlace, std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{65536}}) {
      if (status == Status::ReadFailed && chunk == kInPlace) continue;
      QTest::addRow("%s, reads of %zu", name, chunk)
          << input << limit << chunk << lines << status << line;
    }
  };
  row("empty input", "", {}, Status::Finished, 0);
  row("CR LF; other CRs stay, also on a last line without LF", "a\rb\r\r\ncd\r", {"a\rb\r", "cd\r"},
      Status::Finished, 2);
  row("empty lines, no line after the last LF", "\n\r\n\n", {"", "", ""}, Status::Finished, 3);
  row("multi-byte characters", "\xe2\x82\xac\xf0\x9f\x98\x80\n\xc3\xbc",
      {"\xe2\x82\xac\xf0\x9f\x98\x80", "\xc3\xbc"}, Status::Finished, 2);
  row("long line, no limit", "ab\n" + long_line + "\ncd", {"ab", long_line, "cd"}, Status::Finished,
      3, std::numeric_limits<std::size_t>::max());
  row("character cut short by LF on a later line", "ab\n\xe2\x82\ncd\n", {"ab"},
      Status::InvalidUtf8, 2);
  row("character cut short by the end", "ab\n\xf0\x9f\x98", {"ab"}, Status::InvalidUtf8, 2);
  row("at the limit of 4 with CR LF", "abcd\r\nab", {"abcd", "ab"}, Status::Finished, 2, 4);
  row("over the limit of 4 in bytes", "ab\n\xe2\x82\xac\xe2\x82\xac\n", {"ab"}, Status::LineTooLong,
      2, 4);
  row("CR at the end counts towards the limit", "abcd\r", {}, Status::LineTooLong, 1, 4);
  row("a read that fails", "one\ntwo\nthr", {"one", "two"}, Status::ReadFailed, 3);
}

void KeyLineReaderTest::splitsLines() {
  QFETCH(QByteArray, input);
  QFETCH(std::size_t, limit);
  QFETCH(std::size_t, chunk);
  QFETCH(Lines, lines);
  QFETCH(Status, status);
  QFETCH(std::size_t, line);

  KeyLineReader reader(limit);
  TestSource source(input, chunk, status == Status::ReadFailed);
  Lines read;
  const ReadOutcome outcome = reader.ReadAll(source, [&read](std::string_view bytes) {
    read.append(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
  });
  QVERIFY(read == lines);  // QCOMPARE would print a long line whole
  QCOMPARE(outcome.status, status);
  QCOMPARE(outcome.line_number, line);
}

QTEST_APPLESS_MAIN(KeyLineReaderTest)
#include "KeyLineReaderTest.moc"
