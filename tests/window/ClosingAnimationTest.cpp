#include "ClosingAnimation.h"
#include "FakeWindowGeometry.h"

#include <QTest>

#include <string>
#include <vector>

using morvane::AnimationEnd;
using morvane::RunClosingAnimation;

Q_DECLARE_METATYPE(AnimationEnd)

using FakeWindow = morvane::testing::FakeWindowGeometry;

class ClosingAnimationTest : public QObject {
  Q_OBJECT

 private slots:
  void changesTopLeftWidthHeightInThisOrder() {
    FakeWindow window;
    RunClosingAnimation(window, [] { return false; });
    const std::vector<std::string> first_writes(window.log.begin(), window.log.begin() + 5);
    QCOMPARE(first_writes, std::vector<std::string>(
                               {"top 1530", "left 1530", "width 5235", "height 3555", "top 1560"}));
  }

  // The top is compared with the screen's width after each pass.
  void alwaysEnds_data() {
    QTest::addColumn<float>("top");
    QTest::addColumn<float>("minimumSize");
    QTest::addColumn<QString>("refused");  // "top", "moves" or "all" writes
    QTest::addColumn<int>("timeLimit");    // passes until the time runs out; 0 for never
    QTest::addColumn<AnimationEnd>("end");
    QTest::addColumn<int>("passes");
    QTest::addColumn<float>("width");
    const auto row = [](const char* name, float top, float minimum, const char* refused, int time,
                        AnimationEnd end, int passes, float width) {
      QTest::addRow("%s", name) << top << minimum << QString::fromLatin1(refused) << time << end
                                << passes << width;
    };
    row("top equal to the width is not past it", 2970, 0, "", 0, AnimationEnd::LeftScreen, 2, 5175);
    row("already beyond: still one pass", 9000, 0, "", 0, AnimationEnd::LeftScreen, 1, 5235);
    row("at its smallest it only moves", 0, 600, "", 0, AnimationEnd::LeftScreen, 101, 600);
    row("a window kept in place stops", 1500, 0, "all", 0, AnimationEnd::MoveRefused, 1, 5295);
    row("refused moves stop after a pass that shrinks", 1500, 0, "moves", 0,
        AnimationEnd::MoveRefused, 1, 5235);
    row("a window kept from moving down stops too", 1500, 0, "top", 0, AnimationEnd::MoveRefused, 1,
        5235);
    row("time runs out", -1e6F, 0, "", 5, AnimationEnd::OutOfTime, 5, 4995);
  }
  void alwaysEnds() {
    QFETCH(float, top);
    QFETCH(float, minimumSize);
    QFETCH(QString, refused);
    QFETCH(int, timeLimit);
    FakeWindow window;
    window.top = top;
    window.minimum_size = minimumSize;
    window.frozen = refused == QLatin1String("all");
    window.moves_refused = refused == QLatin1String("moves");
    window.top_refused = refused == QLatin1String("top");
    // However it goes wrong, an animation that does not stop in time ends the row quickly.
    const auto out_of_time = [&] { return window.passes == timeLimit || window.passes > 10'000; };
    QTEST(RunClosingAnimation(window, out_of_time), "end");
    QTEST(window.passes, "passes");
    QTEST(window.width, "width");
  }

  // Every pass takes 30 twips off each side, which keeps the centre, until the smallest size;
  // from then on the whole window moves 30 down and 30 right.
  void shrinksAboutItsCentreThenOnlyMoves_data() {
    QTest::addColumn<int>("passes");
    QTest::addColumn<QRectF>("geometry");  // left, top, width, height
    QTest::addRow("one pass") << 1 << QRectF(1530, -2970, 5235, 3555);
    QTest::addRow("ten passes") << 10 << QRectF(1800, -2700, 4695, 3015);
    QTest::addRow("height at its smallest") << 51 << QRectF(3030, -1470, 2235, 600);
    QTest::addRow("both at their smallest") << 100 << QRectF(4500, 0, 600, 600);
  }
  void shrinksAboutItsCentreThenOnlyMoves() {
    QFETCH(int, passes);
    FakeWindow window;
    window.top = -3000;
    window.minimum_size = 600;
    RunClosingAnimation(window, [&] { return window.passes == passes; });
    QTEST(QRectF(window.left, window.top, window.width, window.height), "geometry");
  }
};

QTEST_APPLESS_MAIN(ClosingAnimationTest)
#include "ClosingAnimationTest.moc"
