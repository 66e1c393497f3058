// The generate command with a scripted random source: what it draws, when it reseeds, and how its
// keys reach a terminal.
#include "Commands.h"
#include "ScriptedRandom.h"

#include <QTemporaryFile>
#include <QTest>

#include <cstdio>
#include <memory>
#include <string>

using morvane::ClassCode;
using morvane::keytool::KeysTo;
using morvane::testing::ScriptedRandom;

Q_DECLARE_METATYPE(KeysTo)

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string Contents(std::FILE* file) {
  std::rewind(file);
  std::string text;
  for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file))
    text.push_back(static_cast<char>(c));
  return text;
}

struct Generated {
  int status = -1;
  std::string out;
  std::string err;
};

Generated Generate(const morvane::keytool::GenerateRequest& request, ScriptedRandom& services,
                   KeysTo keys_to) {
  // Files of Qt's making: the C library's tmpfile() writes to the drive's root on Windows.
  QTemporaryFile out_name;
  QTemporaryFile err_name;
  if (!out_name.open() || !err_name.open()) return {};
  const File out_file(std::fopen(qPrintable(out_name.fileName()), "w+b"));
  const File err_file(std::fopen(qPrintable(err_name.fileName()), "w+b"));
  if (!out_file || !err_file) return {};
  morvane::keytool::Output out(fileno(out_file.get()));
  morvane::keytool::Output err(fileno(err_file.get()));
  const int status = RunGenerate(request, services, keys_to, out, err);
  return {status, Contents(out_file.get()), Contents(err_file.get())};
}

}  // namespace

class GenerateCommandTest : public QObject {
  Q_OBJECT

 private slots:
  // The time of day goes into the source before its first draw, once per command.
  void reseedsBeforeTheFirstDraw() {
    ScriptedRandom services({0.065F, 0.5F, 0.066F});  // "A", a dropped draw, "B"
    services.time_of_day = 3723.5F;
    const Generated run = Generate({4, ClassCode::Upper, 3}, services, KeysTo::PipeOrFile);
    QCOMPARE(run.status, morvane::keytool::kSuccess);
    QCOMPARE(services.reseeds, std::vector<float>{3723.5F});
    QCOMPARE(services.draws_before_reseed, std::vector<std::size_t>{0});
    QCOMPARE(run.out, std::string("ABAB\nABAB\nABAB\n"));
    QCOMPARE(services.draw_count, std::size_t{18});
    QCOMPARE(run.err, std::string());
  }

  void showsControlsEscapedAtATerminal_data() {
    QTest::addColumn<KeysTo>("keys_to");
    QTest::addColumn<std::vector<float>>("draws");  // of the wide set: code = draw x 1000
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<bool>("noted");

    // Code 31, a backslash, DEL, U+0081, U+009D, "A"; then a backslash among printable characters
    // of the wide set, one of them U+201A, whose first byte starts direction controls too.
    const std::vector<float> controls{0.031F, 0.092F, 0.127F, 0.129F, 0.157F, 0.065F};
    const std::vector<float> printable{0.092F, 0.126F, 0.128F, 0.130F, 0.159F, 0.254F};
    // clang-format off
    QTest::addRow("to a terminal, as report shows them") << KeysTo::Terminal << controls << QByteArray(R"(\x1f\\\x7f\u0081\u009dA)" "\n") << true;
    QTest::addRow("to a pipe or a file, exact") << KeysTo::PipeOrFile << controls << QByteArray("\x1f\\\x7f\xc2\x81\xc2\x9d" "A\n") << false;
    QTest::addRow("to a terminal, a backslash alone stays") << KeysTo::Terminal << printable << QByteArray("\\~\xe2\x82\xac\xe2\x80\x9a\xc5\xb8\xc3\xbe\n") << false;
    // clang-format on
  }

  void showsControlsEscapedAtATerminal() {
    QFETCH(KeysTo, keys_to);
    QFETCH(std::vector<float>, draws);
    QFETCH(QByteArray, out);
    QFETCH(bool, noted);

    ScriptedRandom services(draws);
    const Generated run =
        Generate({static_cast<std::uint8_t>(draws.size()), ClassCode::Wide, 1}, services, keys_to);
    QCOMPARE(run.status, morvane::keytool::kSuccess);
    QCOMPARE(QByteArray::fromStdString(run.out), out);
    QCOMPARE(QByteArray::fromStdString(run.err),
             QByteArray(noted ? "morvane-keytool: keys with control characters are shown with "
                                "escapes (\\x1f, \\u0081, \\\\ for a backslash); write them to a "
                                "pipe or a file to get them exact\n"
                              : ""));
  }
};

QTEST_APPLESS_MAIN(GenerateCommandTest)
#include "GenerateCommandTest.moc"
