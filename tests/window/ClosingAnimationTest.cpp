#include "ClosingAnimation.h"
#include "FakeWindowGeometry.h"

#include <QTest>

#include <chrono>
#include <string>
#include <vector>

using morvane::AnimationEnd;
using morvane::RunClosingAnimation;
using std::chrono::milliseconds;

Q_DECLARE_METATYPE(AnimationEnd)

// The fake window starts at left 1500, top 1500, 5295 x 3615 twips, on a screen 3000 twips wide.
using FakeWindow = morvane::testing::FakeWindowGeometry;

namespace {

QRectF Geometry(const FakeWindow& window) {
  return {window.left, window.top, window.width, window.height};
}

}  // namespace

class ClosingAnimationTest : public QObject {
  Q_OBJECT

 private slots:
  void changesTopLeftWidthHeightInThisOrder() {
    FakeWindow window;
    RunClosingAnimation(window, [] { return milliseconds(0); });
    const std::vector<std::string> first_writes(window.log.begin(), window.log.begin() + 5);
    QCOMPARE(first_writes, std::vector<std::string>(
                               {"top 1530", "left 1530", "width 5235", "height 3555", "top 1560"}));
  }

  // The window system takes `changeTime` to show each change; the window is 600 twips at its
  // smallest. Where it is slow, several passes go into one change, so that the window still leaves
  // the screen in about a second; where it keeps the window from moving down, the window shrinks
  // as far as it can and the animation ends there.
  void endsOffTheScreenOrWhereTheWindowIsKept_data() {
    QTest::addColumn<float>("top");
    QTest::addColumn<QString>("refused");  // "everything", "moves" or "moving down"
    QTest::addColumn<int>("changeTime");   // milliseconds
    QTest::addColumn<AnimationEnd>("end");
    QTest::addColumn<int>("changesShown");
    QTest::addColumn<QRectF>("geometry");  // left, top, width, height
    // clang-format off
    QTest::addRow("top equal to the screen's width is not past it") << 2970.0F << "" << 0 << AnimationEnd::LeftScreen << 2 << QRectF(1560, 3030, 5175, 3495);
    QTest::addRow("top beyond the screen already: still one pass") << 9000.0F << "" << 0 << AnimationEnd::LeftScreen << 1 << QRectF(1530, 9030, 5235, 3555);
    QTest::addRow("shrinks to its smallest, then only moves") << 0.0F << "" << 0 << AnimationEnd::LeftScreen << 101 << QRectF(4530, 3030, 600, 600);
    QTest::addRow("kept in place: one pass") << 1500.0F << "everything" << 0 << AnimationEnd::KeptInPlace << 1 << QRectF(1500, 1500, 5295, 3615);
    QTest::addRow("moves refused, as on Wayland: shrinks, then ends") << 1500.0F << "moves" << 0 << AnimationEnd::KeptInPlace << 80 << QRectF(1500, 1500, 600, 600);
    QTest::addRow("moving down refused, as at an edge: shrinks, then ends") << 1500.0F << "moving down" << 0 << AnimationEnd::KeptInPlace << 80 << QRectF(3900, 1500, 600, 600);
    QTest::addRow("20 ms a change: 1,101 passes in 50 changes") << -30000.0F << "" << 20 << AnimationEnd::LeftScreen << 50 << QRectF(34530, 3030, 600, 600);
    QTest::addRow("200 ms a change: still off the screen") << -30000.0F << "" << 200 << AnimationEnd::LeftScreen << 5 << QRectF(34530, 3030, 600, 600);
    QTest::addRow("2 s a change: out of time after one") << -30000.0F << "" << 2000 << AnimationEnd::OutOfTime << 1 << QRectF(1530, -29970, 5235, 3555);
    // clang-format on
  }
  void endsOffTheScreenOrWhereTheWindowIsKept() {
    QFETCH(float, top);
    QFETCH(QString, refused);
    QFETCH(int, changeTime);
    FakeWindow window;
    window.top = top;
    window.minimum_size = 600;
    window.frozen = refused == QLatin1String("everything");
    window.moves_refused = refused == QLatin1String("moves");
    window.top_refused = refused == QLatin1String("moving down");
    const auto elapsed = [&] { return milliseconds(window.changes_shown * changeTime); };
    QTEST(RunClosingAnimation(window, elapsed), "end");
    QTEST(window.changes_shown, "changesShown");
    QTEST(Geometry(window), "geometry");
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
    // A quick window system: one pass a change, until the time is up after `passes`.
    RunClosingAnimation(window, [&] {
      return window.changes_shown < passes ? milliseconds(0) : morvane::kLongestClosing;
    });
    QTEST(Geometry(window), "geometry");
  }
};

QTEST_APPLESS_MAIN(ClosingAnimationTest)
#include "ClosingAnimationTest.moc"
