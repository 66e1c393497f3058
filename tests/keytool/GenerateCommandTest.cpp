// The generate command with a scripted random source: what it draws, and when it reseeds.
#include "Commands.h"
#include "ScriptedRandom.h"

#include <QTemporaryFile>
#include <QTest>

#include <cstdio>
#include <memory>
#include <string>

using morvane::ClassCode;
using morvane::testing::ScriptedRandom;

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

}  // namespace

class GenerateCommandTest : public QObject {
  Q_OBJECT

 private slots:
  // The time of day goes into the source before its first draw, once per command.
  void reseedsBeforeTheFirstDraw() {
    ScriptedRandom services({0.065F, 0.5F, 0.066F});  // "A", a dropped draw, "B"
    services.time_of_day = 3723.5F;
    // Files of Qt's making: the C library's tmpfile() writes to the drive's root on Windows.
    QTemporaryFile out_file;
    QTemporaryFile err_file;
    QVERIFY(out_file.open() && err_file.open());
    const File out(std::fopen(qPrintable(out_file.fileName()), "w+b"));
    const File err(std::fopen(qPrintable(err_file.fileName()), "w+b"));
    QVERIFY(out && err);
    const morvane::keytool::GenerateRequest request{4, ClassCode::Upper, 3};
    QCOMPARE(RunGenerate(request, services, out.get(), err.get()), morvane::keytool::kSuccess);
    QCOMPARE(services.reseeds, std::vector<float>{3723.5F});
    QCOMPARE(services.draws_before_reseed, std::vector<std::size_t>{0});
    QCOMPARE(Contents(out.get()), std::string("ABAB\nABAB\nABAB\n"));
    QCOMPARE(services.draw_count, std::size_t{18});
    QCOMPARE(Contents(err.get()), std::string());
  }
};

QTEST_APPLESS_MAIN(GenerateCommandTest)
#include "GenerateCommandTest.moc"
