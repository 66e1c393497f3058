// morvane-keytool end to end, as a separate process.
#include "CharacterSet.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryFile>
#include <QTest>

#include <initializer_list>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

struct Run {
  int exit_code = -1;
  QByteArray out;
  QByteArray err;
};

// Standard input as a pipe, a file, or a file a shell has already read partway, off a page
// boundary, as in `{ read -r header; morvane-keytool score; } < keys.txt`.
enum class InputFrom { Pipe, File, FileReadPartway };

Run RunTool(QStringList arguments, const QByteArray& input = {}, InputFrom from = InputFrom::Pipe) {
  QProcess process;
  QTemporaryFile file;
  QString program = QStringLiteral(MORVANE_KEYTOOL_PATH);
  if (from != InputFrom::Pipe) {
    const QByteArray bytes = (from == InputFrom::File ? "" : QByteArray(5000, 'x') + '\n') + input;
    if (!file.open() || file.write(bytes) != bytes.size() || !file.flush()) return {};
    process.setStandardInputFile(file.fileName());
  }
  if (from == InputFrom::FileReadPartway) {
    arguments = QStringList{u"-c"_s, u"read -r header; exec \"$0\" \"$@\""_s, program} + arguments;
    program = u"/bin/sh"_s;
  }
  process.start(program, arguments);
  if (!process.waitForStarted()) return {};
  if (from == InputFrom::Pipe) {
    process.write(input);
    process.closeWriteChannel();
  }
  if (!process.waitForFinished(60000)) process.kill();
  process.waitForFinished();
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          process.readAllStandardOutput(), process.readAllStandardError()};
}

// The pattern of `count` keys of `length` characters from `set` (a bracket expression's inside),
// with a character of each of `seen` somewhere among them.
QString Keys(const QString& set, int length, int count, const QStringList& seen = {}) {
  QString pattern = u"(?s)\\A"_s;
  for (const QString& some : seen) pattern += u"(?=.*[%1])"_s.arg(some);
  return pattern + u"(?:[%1]{%2}\\n){%3}\\z"_s.arg(set).arg(length).arg(count);
}

}  // namespace

Q_DECLARE_METATYPE(InputFrom)

class KeytoolProcessTest : public QObject {
  Q_OBJECT

 private slots:
  void answersEachLine_data();
  void answersEachLine();
  void readsTheCommandLine_data();
  void readsTheCommandLine();
};

void KeytoolProcessTest::answersEachLine_data() {
  QTest::addColumn<QStringList>("arguments");
  QTest::addColumn<QByteArray>("input");
  QTest::addColumn<InputFrom>("from");
  QTest::addColumn<QByteArray>("out");
  QTest::addColumn<QByteArray>("err");  // when not empty, with exit status 2

  const auto row = [](const char* name, const QStringList& arguments, const QByteArray& input,
                      const QByteArray& out, const QByteArray& err = {}) {
    for (const auto& [from, how] : {std::pair{InputFrom::Pipe, "pipe"},
                                    {InputFrom::File, "file"},
                                    {InputFrom::FileReadPartway, "file read partway"}}) {
      QTest::addRow("%s, %s", name, how) << arguments << input << from << out << err;
    }
  };
  const QStringList score{u"score"_s};
  QByteArray letters;
  for (int i = 0; i < 100000; ++i) letters.append(static_cast<char>('a' + (i * 7 + i / 26) % 26));

  row("empty input", score, "", "");
  row("CR LF, an empty key, none after the last LF", score, "abc\r\nab:\r\n\n", "12\n18\n0\n");
  row("last line without LF keeps its CR", score, "abc\nabc\r", "12\n24\n");
  // Each character outside the table is one special character, and compares exactly.
  row("emoji and euro sign", score,
      "ab\xf0\x9f\x98\x80\ncd\xe2\x82\xac\n\xf0\x9f\x98\x80\xf0\x9f\x98\x81\xf0\x9f\x98\x80\n"
      "\xf0\x9f\x98\x80\xf0\x9f\x98\x80\xf0\x9f\x98\x80\n",
      "18\n18\n18\n0\n");
  row("100,000 letters, then a block twice", score,
      letters + '\n' + letters.left(50000).repeated(2), "100\n0\n");
  row("report", {u"report"_s}, "Abc1!x\nab\n",
      "Password Quality \nThe Key Generated: Abc1!x\n\nIs Strong Quality:  81 Percent\n\n"
      "Error\nThe Key Does Not Meet The Requirements!\n\n");
  row("report --json", {u"report"_s, u"--json"_s}, "ab\nAb1!c\r\n \"\xf0\x9f\x98\x80\\\t \n",
      R"({"score": 0, "box": "Critical", "title": "Error", )"
      R"("prompt": "The Key Does Not Meet The Requirements!"})"
      "\n"
      R"({"score": 68, "box": "Information", "title": "Password Quality ", )"
      R"("prompt": "The Key Generated: Ab1!c\r\n\r\nIs Medium Quality:  68 Percent"})"
      "\n"
      R"({"score": 36, "box": "Information", "title": "Password Quality ", "prompt": )"
      R"("The Key Generated:  \"\ud83d\ude00\\\t \r\n\r\nIs Weak Quality:  36 Percent"})"
      "\n");
  // The lines before a bad one are answered.
  row("Windows-1252 byte on line 3", score, "abc\r\nabd\r\ncaf\xe9\r\n", "12\n12\n",
      "morvane-keytool: line 3: not valid UTF-8\n");
  row("report, character cut short by the end of line 2", {u"report"_s}, "ab\n\xe2\x82",
      "Error\nThe Key Does Not Meet The Requirements!\n\n",
      "morvane-keytool: line 2: not valid UTF-8\n");
}

void KeytoolProcessTest::answersEachLine() {
  QFETCH(QStringList, arguments);
  QFETCH(QByteArray, input);
  QFETCH(InputFrom, from);
  QFETCH(QByteArray, out);
  QFETCH(QByteArray, err);

  // JSON objects compare field by field, each turned into the same compact form.
  const auto fields = [](const QByteArray& text) {
    QList<QByteArray> lines = text.split('\n');
    for (QByteArray& line : lines) {
      const QJsonDocument object = QJsonDocument::fromJson(line);
      if (object.isObject()) line = object.toJson(QJsonDocument::Compact);
    }
    return lines.join('\n');
  };
  const Run run = RunTool(arguments, input, from);
  QCOMPARE(run.exit_code, err.isEmpty() ? 0 : 2);
  QCOMPARE(fields(run.out), fields(out));
  QCOMPARE(run.err, err);
}

void KeytoolProcessTest::readsTheCommandLine_data() {
  QTest::addColumn<QStringList>("arguments");
  QTest::addColumn<int>("exit_code");
  QTest::addColumn<QString>("pattern");  // of standard output, or for status 2 standard error
  QTest::addColumn<bool>("random");      // whether a second run must print something else

  const auto row = [](const QByteArray& name, const QStringList& arguments, const QString& pattern,
                      int exit_code = 2, bool random = false) {
    QTest::addRow("%s", name.constData()) << arguments << exit_code << pattern << random;
  };
  const QString generate = u"generate"_s;
  row("generate", {generate}, Keys(u"A-Za-z0-9"_s, 12, 1), 0, true);
  const QStringList class_of_digit{{}, u"A-Z"_s, u"0-9"_s, u"a-z"_s};
  for (const char* code : {"1", "2", "3", "12", "13", "23", "123"}) {
    QStringList classes;  // each must show up among 1000 characters
    for (const QChar digit : QString::fromLatin1(code))
      classes << class_of_digit[digit.digitValue()];
    row(QByteArray("generate --classes ") + code,
        {generate, u"--length=40"_s, u"--count=25"_s, u"--classes"_s, QString::fromLatin1(code)},
        Keys(classes.join(QString()), 40, 25, classes), 0, true);
  }
  QString single_byte;  // the characters with a code from 31 to 254
  for (int code = 31; code <= 254; ++code) {
    single_byte += u"\\x{%1}"_s.arg(
        static_cast<uint>(morvane::CharacterFromCode(static_cast<morvane::CharCode>(code))), 0, 16);
  }
  row("generate --classes 66 --length 255", {generate, u"--classes=66"_s, u"--length=255"_s},
      Keys(single_byte, 255, 1, {u"^A-Za-z0-9\\n"_s}), 0, true);
  row("generate --length 0", {generate, u"--length=0"_s, u"--count=3"_s}, u"\\A\\n\\n\\n\\z"_s, 0);
  row("generate --count 0", {generate, u"--count=0"_s}, u"\\A\\z"_s, 0);
  row("generate, leading zeros are decimal", {generate, u"--length=010"_s, u"--classes=02"_s},
      Keys(u"0-9"_s, 10, 1), 0, true);

  const QString commands = u"generate, score or report"_s;
  row("no command", {}, commands);
  row("unknown command", {u"check"_s}, u"'check'.*"_s + commands);
  row("unknown option", {u"--fast"_s}, u"fast.*--help, --version"_s);
  row("unknown generate option", {generate, u"--size"_s, u"5"_s},
      u"size.*--length N, --classes CODE, --count K"_s);
  row("length 256", {generate, u"--length"_s, u"256"_s}, u"--length .*0 to 255.*'256'"_s);
  row("length -1", {generate, u"--length"_s, u"-1"_s}, u"--length .*0 to 255.*'-1'"_s);
  row("length not a number", {generate, u"--length=1x"_s}, u"--length .*'1x'"_s);
  row("classes 4", {generate, u"--classes"_s, u"4"_s},
      u"--classes .*1, 2, 3, 12, 13, 23, 123, 66.*'4'"_s);
  row("classes 322, 66 in a byte", {generate, u"--classes=322"_s}, u"--classes .*'322'"_s);
  row("count -1", {generate, u"--count=-1"_s}, u"--count .*0 to 1000000.*'-1'"_s);
  row("count 1000001", {generate, u"--count=1000001"_s}, u"--count .*'1000001'"_s);
  row("key as an argument, not repeated", {u"score"_s, u"Secret1!"_s}, u"standard input"_s);
  row("--version", {u"--version"_s}, u"\\Amorvane-keytool 1\\.00\\n\\z"_s, 0);
  row("--help", {u"--help"_s}, u"(?s)Usage: .*generate.*score.*report.*--version"_s, 0);
  row("--help of generate", {generate, u"--help"_s},
      u"(?s)Usage: \\S*morvane-keytool generate .*--length.*0 to 255.*--classes.*--count"_s, 0);
}

void KeytoolProcessTest::readsTheCommandLine() {
  QFETCH(QStringList, arguments);
  QFETCH(int, exit_code);
  QFETCH(QString, pattern);
  QFETCH(bool, random);

  const Run run = RunTool(arguments, "abc\n");
  QCOMPARE(run.exit_code, exit_code);
  QCOMPARE((exit_code == 0 ? run.err : run.out), QByteArray());
  const QString shown = QString::fromUtf8(exit_code == 0 ? run.out : run.err);
  QVERIFY2(QRegularExpression(pattern).match(shown).hasMatch(), qPrintable(shown));
  if (exit_code != 0) {
    // One line that names the tool, and never a key.
    QVERIFY2(QRegularExpression(u"\\Amorvane-keytool: [^\\n]*\\n\\z"_s).match(shown).hasMatch() &&
                 !shown.contains(u"Secret1!"_s),
             qPrintable(shown));
  }
  if (random) QVERIFY(RunTool(arguments).out != run.out);
}

QTEST_GUILESS_MAIN(KeytoolProcessTest)
#include "KeytoolProcessTest.moc"
