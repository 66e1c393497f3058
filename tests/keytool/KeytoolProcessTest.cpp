#include "CharacterSet.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <QTemporaryFile>
#include <QTest>

#include <vector>

using namespace Qt::StringLiterals;

namespace {

struct Run {
  int exit_code = -1;
  QByteArray out;
  QByteArray err;
};

// Runs the tool with `input` on its standard input, through a pipe or, as a shell's `<` does,
// from a file.
enum class InputFrom { Pipe, File };

Run RunTool(const QStringList& arguments, const QByteArray& input = {},
            InputFrom from = InputFrom::Pipe) {
  QProcess process;
  QTemporaryFile file;
  if (from == InputFrom::File) {
    if (!file.open() || file.write(input) != input.size() || !file.flush()) return {};
    process.setStandardInputFile(file.fileName());
  }
  process.start(QStringLiteral(MORVANE_KEYTOOL_PATH), arguments);
  if (!process.waitForStarted()) return {};
  if (from == InputFrom::Pipe) {
    process.write(input);
    process.closeWriteChannel();
  }
  if (!process.waitForFinished(60000)) {
    process.kill();
    process.waitForFinished();
    return {};
  }
  Run run;
  run.exit_code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  run.out = process.readAllStandardOutput();
  run.err = process.readAllStandardError();
  return run;
}

QList<QByteArray> OutputLines(const QByteArray& out) {
  QList<QByteArray> lines = out.split('\n');
  if (!lines.isEmpty() && lines.constLast().isEmpty()) lines.removeLast();
  return lines;
}

// Bits for the kinds of character seen in generated keys.
constexpr int kUpper = 1;
constexpr int kDigit = 2;
constexpr int kLower = 4;
constexpr int kOther = 8;

int ClassOf(char32_t character) {
  if (character >= U'A' && character <= U'Z') return kUpper;
  if (character >= U'0' && character <= U'9') return kDigit;
  if (character >= U'a' && character <= U'z') return kLower;
  return kOther;
}

// Whether the character is in the single-byte set with a code from 31 to 254.
bool IsWideSetCharacter(char32_t character) {
  const morvane::CharCode code = morvane::CodeOfCharacter(character);
  return morvane::CharacterFromCode(code) == character && code >= 31 && code <= 254;
}

}  // namespace

class KeytoolProcessTest : public QObject {
  Q_OBJECT

 private slots:
  void generatesKeysOfEachClass_data();
  void generatesKeysOfEachClass();
  void generatesDifferentKeysEachRun();
  void scoresEachLine_data();
  void scoresEachLine();
  void continuesFromWhereTheFileStands();
  void reportsAsJson_data();
  void reportsAsJson();
  void reportsForReading();
  void refusesBadCommandLines_data();
  void refusesBadCommandLines();
  void stopsAtInvalidInput_data();
  void stopsAtInvalidInput();
  void showsHelpAndVersion_data();
  void showsHelpAndVersion();
};

void KeytoolProcessTest::generatesKeysOfEachClass_data() {
  QTest::addColumn<QStringList>("arguments");
  QTest::addColumn<int>("count");
  QTest::addColumn<int>("length");
  QTest::addColumn<int>("classes");  // class bits that must all appear, and no others

  QTest::addRow("defaults") << QStringList{} << 1 << 12 << -1;
  struct Code {
    const char* code;
    int classes;
  };
  const std::vector<Code> codes = {{"1", kUpper},
                                   {"2", kDigit},
                                   {"3", kLower},
                                   {"12", kUpper | kDigit},
                                   {"13", kUpper | kLower},
                                   {"23", kDigit | kLower},
                                   {"123", kUpper | kDigit | kLower}};
  for (const auto& code : codes) {
    QTest::addRow("classes %s", code.code)
        << QStringList{u"--classes"_s, QString::fromLatin1(code.code),
                       u"--length"_s,  u"40"_s,
                       u"--count"_s,   u"25"_s}
        << 25 << 40 << code.classes;
  }
  QTest::addRow("classes 66") << QStringList{u"--classes"_s, u"66"_s,      u"--length"_s,
                                             u"200"_s,       u"--count"_s, u"10"_s}
                              << 10 << 200 << 0;
  QTest::addRow("length 0 gives empty lines")
      << QStringList{u"--length"_s, u"0"_s, u"--count"_s, u"3"_s} << 3 << 0 << 0;
  QTest::addRow("length 255") << QStringList{u"--length"_s, u"255"_s, u"--count"_s, u"2"_s} << 2
                              << 255 << (kUpper | kDigit | kLower);
  QTest::addRow("count 0 prints nothing") << QStringList{u"--count"_s, u"0"_s} << 0 << 12 << 0;
  QTest::addRow("leading zeros") << QStringList{u"--length"_s, u"007"_s, u"--classes"_s, u"02"_s}
                                 << 1 << 7 << kDigit;
}

void KeytoolProcessTest::generatesKeysOfEachClass() {
  QFETCH(QStringList, arguments);
  QFETCH(int, count);
  QFETCH(int, length);
  QFETCH(int, classes);

  const bool wide = arguments.contains(u"66"_s);
  const Run run = RunTool(QStringList{u"generate"_s} + arguments);
  QCOMPARE(run.exit_code, 0);
  QCOMPARE(run.err, QByteArray());
  QVERIFY(run.out.isEmpty() || run.out.endsWith('\n'));
  const QList<QByteArray> keys = OutputLines(run.out);
  QCOMPARE(keys.size(), count);

  int seen = 0;
  for (const QByteArray& key : keys) {
    const QList<uint> characters = QString::fromUtf8(key).toUcs4();
    QCOMPARE(characters.size(), length);
    for (const uint character : characters) {
      if (wide) {
        QVERIFY2(IsWideSetCharacter(character), key.toHex().constData());
      } else {
        seen |= ClassOf(character);
      }
    }
  }
  if (!wide && classes >= 0) QCOMPARE(seen, classes);
  if (!wide && classes < 0) QCOMPARE(seen & kOther, 0);
}

void KeytoolProcessTest::generatesDifferentKeysEachRun() {
  const QStringList arguments{u"generate"_s, u"--count"_s, u"5"_s};
  const Run first = RunTool(arguments);
  const Run second = RunTool(arguments);
  QCOMPARE(first.exit_code, 0);
  QCOMPARE(second.exit_code, 0);
  const QList<QByteArray> keys = OutputLines(first.out) + OutputLines(second.out);
  QCOMPARE(QSet<QByteArray>(keys.begin(), keys.end()).size(), 10);
}

void KeytoolProcessTest::scoresEachLine_data() {
  QTest::addColumn<QByteArray>("input");
  QTest::addColumn<QByteArray>("scores");

  QTest::addRow("three lower-case letters") << QByteArray("abc\n") << QByteArray("12\n");
  QTest::addRow("CR before LF dropped") << QByteArray("abc\r\nab:\r\n") << QByteArray("12\n18\n");
  QTest::addRow("CR at the end without LF stays")
      << QByteArray("abc\nabc\r") << QByteArray("12\n24\n");
  QTest::addRow("last line without LF") << QByteArray("abc\nAbc1!x") << QByteArray("12\n81\n");
  QTest::addRow("no extra key after the last LF") << QByteArray("abc\n\n") << QByteArray("12\n0\n");
  QTest::addRow("empty input") << QByteArray() << QByteArray();
  QTest::addRow("emoji is one special character")
      << QByteArray("ab\xf0\x9f\x98\x80\n") << QByteArray("18\n");
  QTest::addRow("two different emoji are no repetition")
      << QByteArray("\xf0\x9f\x98\x80\xf0\x9f\x98\x81\xf0\x9f\x98\x80\n") << QByteArray("18\n");
  QTest::addRow("one emoji three times is")
      << QByteArray("\xf0\x9f\x98\x80\xf0\x9f\x98\x80\xf0\x9f\x98\x80\n") << QByteArray("0\n");
  QTest::addRow("euro sign and a-umlaut are special")
      << QByteArray("ab\xe2\x82\xac\ncd\xc3\xa4\n") << QByteArray("18\n18\n");
  QTest::addRow("67.5 rounds to 68, 94.5 to 94")
      << QByteArray("Ab1!c\nAb1!cde\n") << QByteArray("68\n94\n");
  QByteArray letters;
  for (int i = 0; i < 100000; ++i) letters.append(static_cast<char>('a' + (i * 7 + i / 26) % 26));
  QTest::addRow("100,000 letters") << letters + '\n' << QByteArray("100\n");
  QTest::addRow("a block written twice, 100,000 letters")
      << letters.left(50000).repeated(2) << QByteArray("0\n");
}

void KeytoolProcessTest::scoresEachLine() {
  QFETCH(QByteArray, input);
  QFETCH(QByteArray, scores);

  for (const InputFrom from : {InputFrom::Pipe, InputFrom::File}) {
    const Run run = RunTool({u"score"_s}, input, from);
    QCOMPARE(run.exit_code, 0);
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(run.out, scores);
  }
}

// A file already read partway, as in `{ read -r header; morvane-keytool score; } < keys.txt`, is
// scored from where it stands, even off a page boundary.
void KeytoolProcessTest::continuesFromWhereTheFileStands() {
  QTemporaryFile file;
  QVERIFY(file.open());
  file.write(QByteArray(5000, 'x') + "\nabc\nAbc1!x\n");
  QVERIFY(file.flush());

  QProcess shell;
  shell.start(u"/bin/sh"_s, {u"-c"_s, u"{ read -r header; exec \"$0\" score; } < \"$1\""_s,
                             QStringLiteral(MORVANE_KEYTOOL_PATH), file.fileName()});
  QVERIFY(shell.waitForFinished(60000));
  QCOMPARE(shell.exitCode(), 0);
  QCOMPARE(shell.readAllStandardError(), QByteArray());
  QCOMPARE(shell.readAllStandardOutput(), QByteArray("12\n81\n"));
}

void KeytoolProcessTest::reportsAsJson_data() {
  QTest::addColumn<QByteArray>("key");
  QTest::addColumn<int>("score");
  QTest::addColumn<QString>("box");
  QTest::addColumn<QString>("title");
  QTest::addColumn<QString>("prompt");

  QTest::addRow("requirements error") << QByteArray("ab") << 0 << u"Critical"_s << u"Error"_s
                                      << u"The Key Does Not Meet The Requirements!"_s;
  QTest::addRow("very weak")
      << QByteArray("1234") << 16 << u"Information"_s << u"Password Quality "_s
      << u"The Key Generated: 1234\r\n\r\nIs Very Weak Quality:  16 Percent"_s;
  QTest::addRow("medium, 67.5 rounded")
      << QByteArray("Ab1!c") << 68 << u"Information"_s << u"Password Quality "_s
      << u"The Key Generated: Ab1!c\r\n\r\nIs Medium Quality:  68 Percent"_s;
  QTest::addRow("spaces kept")
      << QByteArray(" ab c ") << 36 << u"Information"_s << u"Password Quality "_s
      << u"The Key Generated:  ab c \r\n\r\nIs Weak Quality:  36 Percent"_s;
  QTest::addRow("very strong")
      << QByteArray("a1B2c3D4e5F6") << 100 << u"Information"_s << u"Password Quality "_s
      << u"The Key Generated: a1B2c3D4e5F6\r\n\r\nIs Very Strong Quality:  100 Percent"_s;
  QTest::addRow("emoji and quotes")
      << QByteArray("\"\xf0\x9f\x98\x80\\\t") << 24 << u"Information"_s << u"Password Quality "_s
      << u"The Key Generated: \"\U0001F600\\\t\r\n\r\nIs Weak Quality:  24 Percent"_s;
}

void KeytoolProcessTest::reportsAsJson() {
  QFETCH(QByteArray, key);
  QFETCH(int, score);
  QFETCH(QString, box);
  QFETCH(QString, title);
  QFETCH(QString, prompt);

  // The key twice, on the second line with CR LF: one object per key, each on its own line.
  const Run run = RunTool({u"report"_s, u"--json"_s}, key + '\n' + key + "\r\n");
  QCOMPARE(run.exit_code, 0);
  QCOMPARE(run.err, QByteArray());
  const QList<QByteArray> lines = OutputLines(run.out);
  QCOMPARE(lines.size(), 2);
  QCOMPARE(lines[0], lines[1]);

  QJsonParseError error{};
  const QJsonDocument document = QJsonDocument::fromJson(lines[0], &error);
  QCOMPARE(error.error, QJsonParseError::NoError);
  const QJsonObject object = document.object();
  QCOMPARE(object.keys(), (QStringList{u"box"_s, u"prompt"_s, u"score"_s, u"title"_s}));
  QVERIFY(object.value(u"score"_s).isDouble());
  QCOMPARE(object.value(u"score"_s).toInt(), score);
  QCOMPARE(object.value(u"box"_s).toString(), box);
  QCOMPARE(object.value(u"title"_s).toString(), title);
  QCOMPARE(object.value(u"prompt"_s).toString(), prompt);
}

void KeytoolProcessTest::reportsForReading() {
  const Run run = RunTool({u"report"_s}, "Abc1!x\nab\n");
  QCOMPARE(run.exit_code, 0);
  QCOMPARE(run.out, QByteArray("Password Quality \n"
                               "The Key Generated: Abc1!x\n"
                               "\n"
                               "Is Strong Quality:  81 Percent\n"
                               "\n"
                               "Error\n"
                               "The Key Does Not Meet The Requirements!\n"
                               "\n"));
}

void KeytoolProcessTest::refusesBadCommandLines_data() {
  QTest::addColumn<QStringList>("arguments");
  QTest::addColumn<QStringList>("mentions");  // what the one-line message must name

  QTest::addRow("no command") << QStringList{} << QStringList{u"generate, score or report"_s};
  QTest::addRow("unknown command")
      << QStringList{u"check"_s} << QStringList{u"'check'"_s, u"generate, score or report"_s};
  QTest::addRow("unknown option") << QStringList{u"--fast"_s}
                                  << QStringList{u"fast"_s, u"--help"_s, u"--version"_s};
  QTest::addRow("option of another command")
      << QStringList{u"score"_s, u"--json"_s} << QStringList{u"json"_s, u"--help"_s};
  QTest::addRow("unknown generate option")
      << QStringList{u"generate"_s, u"--size"_s, u"5"_s}
      << QStringList{u"size"_s, u"--length N"_s, u"--classes CODE"_s, u"--count K"_s};
  QTest::addRow("missing value") << QStringList{u"generate"_s, u"--length"_s}
                                 << QStringList{u"--length"_s};
  QTest::addRow("length 256") << QStringList{u"generate"_s, u"--length"_s, u"256"_s}
                              << QStringList{u"--length"_s, u"0 to 255"_s, u"'256'"_s};
  QTest::addRow("length -1") << QStringList{u"generate"_s, u"--length"_s, u"-1"_s}
                             << QStringList{u"--length"_s, u"0 to 255"_s, u"'-1'"_s};
  QTest::addRow("length not a number") << QStringList{u"generate"_s, u"--length=1x"_s}
                                       << QStringList{u"--length"_s, u"0 to 255"_s, u"'1x'"_s};
  QTest::addRow("length beyond 64 bits")
      << QStringList{u"generate"_s, u"--length"_s, u"99999999999999999999"_s}
      << QStringList{u"--length"_s, u"0 to 255"_s};
  QTest::addRow("classes 4") << QStringList{u"generate"_s, u"--classes"_s, u"4"_s}
                             << QStringList{u"--classes"_s, u"1, 2, 3, 12, 13, 23, 123, 66"_s};
  QTest::addRow("classes 322 wraps to 66 in a byte")
      << QStringList{u"generate"_s, u"--classes"_s, u"322"_s}
      << QStringList{u"--classes"_s, u"1, 2, 3, 12, 13, 23, 123, 66"_s};
  QTest::addRow("count -1") << QStringList{u"generate"_s, u"--count"_s, u"-1"_s}
                            << QStringList{u"--count"_s, u"0 to 1000000"_s};
  QTest::addRow("count too large") << QStringList{u"generate"_s, u"--count"_s, u"1000001"_s}
                                   << QStringList{u"--count"_s, u"0 to 1000000"_s};
  QTest::addRow("key as an argument")
      << QStringList{u"score"_s, u"Secret1!"_s} << QStringList{u"standard input"_s};
  QTest::addRow("generate argument")
      << QStringList{u"generate"_s, u"12"_s} << QStringList{u"no arguments"_s};
}

void KeytoolProcessTest::refusesBadCommandLines() {
  QFETCH(QStringList, arguments);
  QFETCH(QStringList, mentions);

  const Run run = RunTool(arguments, "abc\n");
  QCOMPARE(run.exit_code, 2);
  QCOMPARE(run.out, QByteArray());
  QVERIFY2(
      run.err.startsWith("morvane-keytool: ") && run.err.endsWith('\n') && run.err.count('\n') == 1,
      run.err.constData());
  const QString message = QString::fromUtf8(run.err);
  for (const QString& mention : mentions) {
    QVERIFY2(message.contains(mention), qPrintable(message + u" lacks "_s + mention));
  }
  QVERIFY2(!message.contains(u"Secret1!"_s), "a key was repeated in the message");
}

void KeytoolProcessTest::stopsAtInvalidInput_data() {
  QTest::addColumn<QStringList>("arguments");
  QTest::addColumn<QByteArray>("input");
  QTest::addColumn<QByteArray>("answers");
  QTest::addColumn<QByteArray>("message");

  QTest::addRow("score, stray byte on line 2")
      << QStringList{u"score"_s} << QByteArray("abc\n\xff\nabd\n") << QByteArray("12\n")
      << QByteArray("morvane-keytool: line 2: not valid UTF-8\n");
  QTest::addRow("score, Windows-1252 on line 3")
      << QStringList{u"score"_s} << QByteArray("abc\r\nabd\r\ncaf\xe9\r\n")
      << QByteArray("12\n12\n") << QByteArray("morvane-keytool: line 3: not valid UTF-8\n");
  QTest::addRow("score, cut short at the end")
      << QStringList{u"score"_s} << QByteArray("abc\n\xe2\x82") << QByteArray("12\n")
      << QByteArray("morvane-keytool: line 2: not valid UTF-8\n");
  QTest::addRow("report --json, line 2")
      << QStringList{u"report"_s, u"--json"_s} << QByteArray("ab\n\xc0\xaf\n")
      << QByteArray(
             "{\"box\":\"Critical\",\"prompt\":\"The Key Does Not Meet The Requirements!\","
             "\"score\":0,\"title\":\"Error\"}\n")
      << QByteArray("morvane-keytool: line 2: not valid UTF-8\n");
  QTest::addRow("report, line 2") << QStringList{u"report"_s}
                                  << QByteArray("ab\n\xf8\x88\x80\x80\x80\n")
                                  << QByteArray(
                                         "Error\nThe Key Does Not Meet The Requirements!\n\n")
                                  << QByteArray("morvane-keytool: line 2: not valid UTF-8\n");
}

void KeytoolProcessTest::stopsAtInvalidInput() {
  QFETCH(QStringList, arguments);
  QFETCH(QByteArray, input);
  QFETCH(QByteArray, answers);
  QFETCH(QByteArray, message);

  for (const InputFrom from : {InputFrom::Pipe, InputFrom::File}) {
    const Run run = RunTool(arguments, input, from);
    QCOMPARE(run.exit_code, 2);
    QCOMPARE(run.out, answers);
    QCOMPARE(run.err, message);
  }
}

void KeytoolProcessTest::showsHelpAndVersion_data() {
  QTest::addColumn<QStringList>("arguments");
  QTest::addColumn<QRegularExpression>("pattern");

  QTest::addRow("--version") << QStringList{u"--version"_s}
                             << QRegularExpression(u"\\Amorvane-keytool 1\\.00\\n\\z"_s);
  QTest::addRow("--help") << QStringList{u"--help"_s}
                          << QRegularExpression(
                                 u"(?s)Usage: .*generate.*score.*report.*--version"_s);
  QTest::addRow("generate --help")
      << QStringList{u"generate"_s, u"--help"_s}
      << QRegularExpression(
             u"(?s)Usage: \\S*morvane-keytool generate .*--length.*0 to 255.*--classes.*--count"_s);
  QTest::addRow("score --help") << QStringList{u"score"_s, u"-h"_s}
                                << QRegularExpression(u"(?s)standard input"_s);
  QTest::addRow("report --help") << QStringList{u"report"_s, u"--help"_s}
                                 << QRegularExpression(u"(?s)--json"_s);
}

void KeytoolProcessTest::showsHelpAndVersion() {
  QFETCH(QStringList, arguments);
  QFETCH(QRegularExpression, pattern);

  QCOMPARE(QStringLiteral(MORVANE_VERSION), u"1.00"_s);
  const Run run = RunTool(arguments);
  QCOMPARE(run.exit_code, 0);
  QCOMPARE(run.err, QByteArray());
  QVERIFY2(pattern.match(QString::fromUtf8(run.out)).hasMatch(), run.out.constData());
}

QTEST_GUILESS_MAIN(KeytoolProcessTest)
#include "KeytoolProcessTest.moc"
