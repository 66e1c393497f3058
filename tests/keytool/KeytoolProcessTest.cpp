// morvane-keytool end to end, as a separate process.
#include "CharacterSet.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryFile>
#include <QTest>
#include <QThread>

#include <initializer_list>
#include <utility>

#ifndef Q_OS_WIN
#include <csignal>

#include <unistd.h>
#endif

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
  Run run{process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          process.readAllStandardOutput(), process.readAllStandardError()};
#ifdef Q_OS_WIN
  // Windows writes text with CR LF line ends; the answers are the same.
  run.out.replace("\r\n", "\n");
  run.err.replace("\r\n", "\n");
#endif
  return run;
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
#ifndef Q_OS_WIN
  // These need a POSIX shell, /dev/full, process groups or a file cut short while it is open,
  // which Windows refuses.
  void endsWithItsStatus_data();
  void endsWithItsStatus();
  void refusesALongLineAtOnce_data();
  void refusesALongLineAtOnce();
  void readsAFileThatShrinks();
#endif
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
#ifdef Q_OS_WIN
      if (from == InputFrom::FileReadPartway) continue;  // needs a POSIX shell
#endif
      QTest::addRow("%s, %s", name, how) << arguments << input << from << out << err;
    }
  };
  // For what does not depend on the kind of input.
  const auto piped = [](const char* name, const QStringList& arguments, const QByteArray& input,
                        const QByteArray& out) {
    QTest::addRow("%s, pipe", name) << arguments << input << InputFrom::Pipe << out << QByteArray();
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
  // Each edge of a character class from both sides, after two lower-case letters, two upper-case
  // letters and two digits: an upper-case letter gives 18 12 18, a lower-case one 12 18 18, a
  // digit 18 18 12, a special character 18 18 18 and a character of no class 12 12 12.
  const auto edge = [&piped, &score](const char* name, const QByteArray& below,
                                     const QByteArray& above, const QByteArray& scores) {
    QByteArray keys;
    for (const QByteArray& character : {below, above}) {
      for (const char* start : {"ab", "AB", "12"}) keys += start + character + '\n';
    }
    piped(name, score, keys, scores);
  };
  edge("'/' 47 special, '0' 48 digit", "/", "0", "18\n18\n18\n18\n18\n12\n");
  edge("'9' 57 digit, ':' 58 special", "9", ":", "18\n18\n12\n18\n18\n18\n");
  edge("'@' 64 special, 'A' 65 upper case", "@", "A", "18\n18\n18\n18\n12\n18\n");
  edge("'Z' 90 upper case, '[' 91 none", "Z", "[", "18\n12\n18\n12\n12\n12\n");
  edge("'`' 96 none, 'a' 97 lower case", "`", "a", "12\n12\n12\n12\n18\n18\n");
  edge("'z' 122 lower case, '{' 123 special", "z", "{", "12\n18\n18\n18\n18\n18\n");
  edge("DEL 127 special, U+0080 special", "\x7f", "\xc2\x80", "18\n18\n18\n18\n18\n18\n");
  // A mark at the very start is no character of the first key.
  row("byte-order mark", score,
      "\xef\xbb\xbf"
      "abcdefgh\r\n\xef\xbb\xbf"
      "abcdefgh\n",
      "32\n54\n");
  row("byte-order mark alone", score, "\xef\xbb\xbf", "");
  // Control characters reach a terminal as escapes only; JSON keeps them exact.
  piped(
      "report shows control characters as escapes", {u"report"_s},
      "ab\x1b]0;PWNED\x07\x1b[2Jcd\t\x7f\xc2\x80\xc2\x9f\xc2\xa0\x1f ~\n",
      "Password Quality \nThe Key Generated: ab\\x1b]0;PWNED\\x07\\x1b[2Jcd\\x09\\x7f\\u0080\\u009f"
      "\xc2\xa0\\x1f ~\n\nIs Very Strong Quality:  100 Percent\n\n");
  piped(
      "report --json keeps control characters", {u"report"_s, u"--json"_s},
      "ab\x1b[2J\x7f\xc2\x9b\n",
      R"({"score": 100, "box": "Information", "title": "Password Quality ", )"
      R"("prompt": "The Key Generated: ab\u001b[2J\u007f\u009b\r\n\r\nIs Very Strong Quality:  100 Percent"})"
      "\n");
  // Each escape reads one way only, a backslash doubled; the marks, embeddings, overrides,
  // isolates and separators are escaped, the characters beside them (after the "|") are not.
  piped("report escapes direction characters, separators and backslashes", {u"report"_s},
        "Aa1\xe2\x80\xae"
        "evil.exe\\x1b\x1b\\\xe2\x81\xa6\xe2\x81\xa9\xd8\x9c\xe2\x80\x8e"
        "\xe2\x80\x8f\xe2\x80\xa8\xe2\x80\xa9\xe2\x80\xaa|\xd8\x9b\xd8\x9d\xe2\x80\x8d"
        "\xe2\x80\x90\xe2\x80\xa7\xe2\x80\xaf\xe2\x81\xa5\xe2\x81\xaa\n",
        "Password Quality \nThe Key Generated: Aa1\\u202eevil.exe\\\\x1b\\x1b\\\\\\u2066"
        "\\u2069\\u061c\\u200e\\u200f\\u2028\\u2029\\u202a|\xd8\x9b\xd8\x9d\xe2\x80\x8d"
        "\xe2\x80\x90\xe2\x80\xa7\xe2\x80\xaf\xe2\x81\xa5\xe2\x81\xaa\n\n"
        "Is Very Strong Quality:  100 Percent\n\n");
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

  // Messages name the option and what it allows, and never repeat what was typed: a mistyped
  // command line may hold a key. Every row types "hunter2" where a key could slip in.
  const QString commands = u"generate, score or report\\."_s;
  const QString generate_options =
      u"Options of generate: --length N, --classes CODE, --count K, --help\\."_s;
  row("no command", {}, u"missing command: use "_s + commands);
  row("unknown command", {u"hunter2"_s}, u"unknown command: use "_s + commands);
  row("unknown option", {u"--hunter2"_s},
      u"unknown option\\. Options: --help, --version; commands: "_s + commands);
  row("--help-all, not offered", {u"--help-all"_s}, u"unknown option\\. Options: --help"_s);
  row("option value where none is taken", {u"--version=hunter2"_s},
      u"an option's value is missing or not allowed\\. Options: --help, --version"_s);
  row("unknown generate option", {generate, u"--hunter2"_s},
      u"generate: unknown option\\. "_s + generate_options);
  row("generate --help-all, not offered", {generate, u"--help-all"_s},
      u"generate: unknown option\\. "_s + generate_options);
  row("generate --length without its value", {generate, u"--length"_s},
      u"generate: an option's value is missing or not allowed\\. "_s + generate_options);
  row("generate takes no arguments", {generate, u"hunter2"_s}, u"generate takes no arguments\\."_s);
  const QString length_range = u"--length must be a whole number from 0 to 255\\."_s;
  row("length hunter2", {generate, u"--length"_s, u"hunter2"_s}, length_range);
  row("length 256", {generate, u"--length"_s, u"256"_s}, length_range);
  row("length -1", {generate, u"--length=-1"_s}, length_range);
  row("length +12, digits only", {generate, u"--length=+12"_s}, length_range);
  row("length with spaces", {generate, u"--length"_s, u" 12 "_s}, length_range);
  const QString class_list = u"--classes must be one of 1, 2, 3, 12, 13, 23, 123, 66\\."_s;
  row("classes hunter2", {generate, u"--classes=hunter2"_s}, class_list);
  row("classes 4", {generate, u"--classes"_s, u"4"_s}, class_list);
  row("classes 322, 66 in a byte", {generate, u"--classes=322"_s}, class_list);
  const QString count_range = u"--count must be a whole number from 0 to 1000000\\."_s;
  row("count hunter2", {generate, u"--count"_s, u"hunter2"_s}, count_range);
  row("count -1", {generate, u"--count=-1"_s}, count_range);
  row("count 1000001", {generate, u"--count=1000001"_s}, count_range);
  row("a repeated option", {generate, u"--length=hunter2"_s, u"--length"_s, u"hunter2"_s},
      u"generate: --length is given more than once\\. "_s + generate_options);
  row("a repeated flag", {u"report"_s, u"--json"_s, u"--json"_s},
      u"report: --json is given more than once\\. Options of report: --json, --help\\."_s);
  row("unknown score option", {u"score"_s, u"--hunter2"_s},
      u"score: unknown option\\. Options of score: --help\\."_s);
  row("key as an argument of score", {u"score"_s, u"hunter2"_s},
      u"score takes no arguments; keys are read from standard input, one per line\\."_s);
  row("unknown report option", {u"report"_s, u"--hunter2"_s},
      u"report: unknown option\\. Options of report: --json, --help\\."_s);
  row("report --json with a value", {u"report"_s, u"--json=hunter2"_s},
      u"report: an option's value is missing or not allowed\\. Options of report: --json, --help\\."_s);
  row("key as an argument of report", {u"report"_s, u"--json"_s, u"hunter2"_s},
      u"report takes no arguments; keys are read from standard input, one per line\\."_s);

  row("--version", {u"--version"_s}, u"\\Amorvane-keytool 1\\.00\\n\\z"_s, 0);
  row("--help", {u"--help"_s},
      u"(?s)\\A(?!.*help-all)Usage: .*generate.*score.*report.*-h, --help.*--version"_s, 0);
  row("--help of generate", {generate, u"-h"_s},
      u"(?s)\\A(?!.*help-all)Usage: \\S*morvane-keytool(?:\\.exe)? generate .*--length.*0 to 255.*--classes.*--count"_s,
      0);
  row("--help of report", {u"report"_s, u"--help"_s},
      u"(?s)\\A(?!.*help-all)Usage: \\S*morvane-keytool(?:\\.exe)? report .*--json"_s, 0);
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
                 !shown.contains(u"hunter2"_s),
             qPrintable(shown));
  }
  if (random) QVERIFY(RunTool(arguments).out != run.out);
}

#ifndef Q_OS_WIN
void KeytoolProcessTest::endsWithItsStatus_data() {
  QTest::addColumn<QString>("script");  // bash, with the tool as $0
  QTest::addColumn<int>("exit_code");
  QTest::addColumn<QByteArray>("err");
  QTest::addColumn<QString>("out");  // a pattern

  const QByteArray cannot_write = "morvane-keytool: cannot write to standard output\n";
  const auto row = [](const char* name, const QString& script, int exit_code, const QByteArray& err,
                      const QString& out = u"\\A\\z"_s) {
    QTest::addRow("%s", name) << script << exit_code << err << out;
  };
  row("generate --count 1000000, the largest",
      R"(set -o pipefail; "$0" generate --count=1000000 --length=1 --classes=66 |
         LC_ALL=C.UTF-8 grep -cx .)",
      0, "", u"\\A1000000\\n\\z"_s);
  // The first failed write ends the command, however much input is still to come.
  row("generate to a full device", R"(exec "$0" generate >/dev/full)", 1, cannot_write);
  row("--version to a full device", R"(exec "$0" --version >/dev/full)", 1, cannot_write);
  row("score of endless keys to a full device", R"(yes Abc123! | "$0" score >/dev/full)", 1,
      cannot_write);
  row("report of endless keys to a full device", R"(yes Abc123! | "$0" report >/dev/full)", 1,
      cannot_write);
  row("score of endless keys, SIGPIPE ignored, reader gone",
      R"(trap '' PIPE; yes Abc123! 2>/dev/null | "$0" score | head -c 1 >/dev/null;
         exit "${PIPESTATUS[1]}")",
      1, cannot_write);
  row("generate --count 1000000, SIGPIPE ignored, reader gone",
      R"(trap '' PIPE; "$0" generate --count 1000000 | head -c 1 >/dev/null; exit "${PIPESTATUS[0]}")",
      1, cannot_write);
  // A closed standard stream is said so at once, before another file can take its number.
  row("generate, standard output closed", R"(exec "$0" generate >&-)", 1,
      "morvane-keytool: standard output is closed\n");
  // A stream that the command does not need may be closed.
  row("generate, standard error closed", R"(exec "$0" generate 2>&-)", 0, "",
      u"\\A[A-Za-z0-9]{12}\\n\\z"_s);
  row("score, standard error closed", R"(printf 'abc\n' | "$0" score 2>&-)", 0, "",
      u"\\A12\\n\\z"_s);
  row("score, standard input closed", R"(exec "$0" score <&-)", 1,
      "morvane-keytool: standard input is closed\n");
  row("report, standard input closed", R"(exec "$0" report --json <&-)", 1,
      "morvane-keytool: standard input is closed\n");
#ifndef MORVANE_SANITIZED_TOOL  // whose sanitizers need more address space than this to start
  // Running out of memory is said so, after the answers before it.
  row("score of a line that memory cannot hold",
      R"(ulimit -v 40000; { printf 'abc\n'; head -c 40000000 /dev/zero | tr '\0' a; } | "$0" score)",
      1, "morvane-keytool: out of memory\n", u"\\A12\\n\\z"_s);
#endif
  // A directory opens, but cannot be read.
  row("score, standard input a directory", R"(exec "$0" score </)", 1,
      "morvane-keytool: line 1: cannot read standard input\n");
  row("generate needs no standard input", R"(exec "$0" generate <&-)", 0, "",
      u"\\A[A-Za-z0-9]{12}\\n\\z"_s);
  // A reader that goes away ends the tool as it ends other Unix tools (a shell shows 141).
  row("generate --count 1000000, reader gone",
      R"("$0" generate --count 1000000 | head -c 1 >/dev/null; exit "${PIPESTATUS[0]}")", 141, "");
  // Streams that the parent left non-blocking are waited on: an input that comes late, an output
  // whose reader is slow.
  const QString non_blocking =
      uR"(python3 -c 'import fcntl, os, sys
for stream in 0, 1: fcntl.fcntl(stream, fcntl.F_SETFL, fcntl.fcntl(stream, fcntl.F_GETFL) | os.O_NONBLOCK)
os.execv(sys.argv[1], sys.argv[1:])' "$0")"_s;
  row("score, non-blocking input that comes late",
      uR"(set -o pipefail; (sleep 0.5; printf 'abc\nAbc1!x\n') | )"_s + non_blocking + u" score"_s,
      0, "", u"\\A12\\n81\\n\\z"_s);
  row("generate --count 100000, non-blocking output read slowly",
      u"set -o pipefail; "_s + non_blocking +
          u" generate --count 100000 | { sleep 0.5; grep -c .; }"_s,
      0, "", u"\\A100000\\n\\z"_s);
  // While it waits for a key, no other process of the same user may read its memory (its
  // parent here, which a kernel that restricts tracing would still let in), and a crash would
  // write no core file. Root may do anything, so as root the tool runs as nobody, from a copy
  // that nobody can reach.
  row("score keeps its memory to itself", R"sh(
      if [ "$(id -u)" = 0 ]; then
        dir=$(mktemp -d) && chmod 755 "$dir" && cp "$0" "$dir" || exit 3
        setpriv --reuid=65534 --regid=65534 --clear-groups bash -c "$BASH_EXECUTION_STRING" "$dir/${0##*/}"
        status=$?; rm -r "$dir"; exit $status
      fi
      coproc "$0" score
      for _ in $(seq 200); do  # until it waits for a key
        read -r _ name state _ <"/proc/$COPROC_PID/stat"
        [ "$name $state" = "(morvane-keytool) S" ] && break || sleep 0.05
      done
      : 2>/dev/null <"/proc/$COPROC_PID/mem" && echo "memory open to the user"
      awk '/^Max core file size/ { print "core file size", $5, $6 }' "/proc/$COPROC_PID/limits"
      eval "exec ${COPROC[1]}>&-" && wait "$COPROC_PID")sh",
      0, "", u"\\Acore file size 0 0\\n\\z"_s);
}

void KeytoolProcessTest::endsWithItsStatus() {
  QFETCH(QString, script);
  QFETCH(int, exit_code);
  QFETCH(QByteArray, err);
  QFETCH(QString, out);

  // A group of its own, so that a tool that never ends goes with the whole pipeline.
  QProcess process;
  process.setChildProcessModifier([] { setpgid(0, 0); });
  process.start(u"/bin/bash"_s, {u"-c"_s, script, QStringLiteral(MORVANE_KEYTOOL_PATH)});
  QVERIFY(process.waitForStarted());
  process.closeWriteChannel();
  if (!process.waitForFinished(60000)) kill(-static_cast<pid_t>(process.processId()), SIGKILL);
  process.waitForFinished();
  QCOMPARE(process.exitStatus(), QProcess::NormalExit);
  QCOMPARE(process.exitCode(), exit_code);
  QCOMPARE(process.readAllStandardError(), err);
  const QString written = QString::fromUtf8(process.readAllStandardOutput());
  QVERIFY2(QRegularExpression(out).match(written).hasMatch(), qPrintable(written.left(200)));
}

void KeytoolProcessTest::refusesALongLineAtOnce_data() {
  QTest::addColumn<QByteArray>("before");  // lines before the long one
  QTest::addColumn<QByteArray>("out");
  QTest::addColumn<QByteArray>("err");

  QTest::addRow("line 1") << QByteArray() << QByteArray()
                          << QByteArray("morvane-keytool: line 1: longer than 67108864 bytes\n");
  QTest::addRow("line 3, after two answers")
      << QByteArray("abc\r\nAbc1!x\n") << QByteArray("12\n81\n")
      << QByteArray("morvane-keytool: line 3: longer than 67108864 bytes\n");
}

// A line over the limit (64 MiB, and a CR it may still lose) ends the command with status 2 while
// the input goes on: through a pipe that never ends, and from a file of 1 GiB that is read no
// further than the limit and one buffer beyond it.
void KeytoolProcessTest::refusesALongLineAtOnce() {
  QFETCH(QByteArray, before);
  QFETCH(QByteArray, out);
  QFETCH(QByteArray, err);
  constexpr qint64 kLimit = qint64{64} << 20;
  const auto run = [](const QString& script, const QByteArray& input, QTemporaryFile* file) {
    QProcess process;
    if (file != nullptr) process.setStandardInputFile(file->fileName());
    process.start(u"/bin/bash"_s, {u"-c"_s, script, QStringLiteral(MORVANE_KEYTOOL_PATH)});
    if (!process.waitForStarted()) return Run{};
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000)) process.kill();
    process.waitForFinished();
    return Run{process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
               process.readAllStandardOutput(), process.readAllStandardError()};
  };

  const Run piped = run(uR"({ cat; yes a | tr -d '\n'; } | "$0" score)"_s, before, nullptr);
  QCOMPARE(piped.exit_code, 2);
  QCOMPARE(piped.out, out);
  QCOMPARE(piped.err, err);

  // The file is sparse: its gigabyte costs no disk. What the tool left unread is counted by wc,
  // which shares its place in the file.
  QTemporaryFile file;
  QVERIFY(file.open());
  QCOMPARE(file.write(before), before.size());
  QVERIFY(file.resize(qint64{1} << 30));
  file.close();
  const Run from_file = run(uR"("$0" score; status=$?; wc -c; exit "$status")"_s, {}, &file);
  QCOMPARE(from_file.exit_code, 2);
  QCOMPARE(from_file.err, err);
  QVERIFY2(from_file.out.startsWith(out), from_file.out.constData());
  const qint64 read = (qint64{1} << 30) - from_file.out.mid(out.size()).trimmed().toLongLong();
  QVERIFY2(read > kLimit && read <= before.size() + kLimit + (qint64{4} << 20),
           qPrintable(QString::number(read)));
}

// A file cut short while the tool reads it (a log rotated by copying and truncating) simply ends
// early. The tool's answers fill the pipe to the test, which reads none for a while, so the
// tool waits with most of the file unread when it is truncated.
void KeytoolProcessTest::readsAFileThatShrinks() {
  QTemporaryFile file;
  QVERIFY(file.open());
  const QByteArray keys = QByteArray("Abc123!x\n").repeated(2'000'000);
  QCOMPARE(file.write(keys), keys.size());
  QVERIFY(file.flush());

  QProcess process;
  process.setStandardInputFile(file.fileName());
  process.start(QStringLiteral(MORVANE_KEYTOOL_PATH), {u"score"_s});
  QVERIFY(process.waitForStarted());
  QVERIFY(process.waitForReadyRead(60000));
  QThread::msleep(300);
  QVERIFY(file.resize(0));
  if (!process.waitForFinished(60000)) process.kill();
  process.waitForFinished();
  QCOMPARE(process.exitStatus(), QProcess::NormalExit);
  QCOMPARE(process.exitCode(), 0);
  QCOMPARE(process.readAllStandardError(), QByteArray());
  const QList<QByteArray> answers = process.readAllStandardOutput().split('\n');
  QVERIFY(answers.size() < 2'000'000);
  for (qsizetype i = 0; i + 2 < answers.size(); ++i) QCOMPARE(answers[i], QByteArray("100"));
}
#endif

QTEST_GUILESS_MAIN(KeytoolProcessTest)
#include "KeytoolProcessTest.moc"
