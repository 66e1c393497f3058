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
    QTest::addColumn<bool>("frozen");
    QTest::addColumn<int>("timeLimit");  // passes until the time runs out; 0 for never
    QTest::addColumn<AnimationEnd>("end");
    QTest::addColumn<int>("passes");
    const auto row = [](const char* name, float top, float minimum, bool frozen, int time,
                        AnimationEnd end, int passes) {
      QTest::addRow("%s", name) << top << minimum << frozen << time << end << passes;
    };
    row("top equal to the width is not past it", 2970, 0, false, 0, AnimationEnd::LeftScreen, 2);
    row("already beyond: still one pass", 9000, 0, false, 0, AnimationEnd::LeftScreen, 1);
    row("at its smallest it only moves", 0, 600, false, 0, AnimationEnd::LeftScreen, 101);
    row("a window that cannot move stops", 1500, 0, true, 0, AnimationEnd::Stuck, 1);
    row("time runs out", -1e6F, 0, false, 5, AnimationEnd::OutOfTime, 5);
  }
  void alwaysEnds() {
    QFETCH(float, top);
    QFETCH(float, minimumSize);
    QFETCH(bool, frozen);
    QFETCH(int, timeLimit);
    FakeWindow window;
    window.top = top;
    window.minimum_size = minimumSize;
    window.frozen = frozen;
    QTEST(RunClosingAnimation(window, [&] { return window.passes == timeLimit; }), "end");
    QTEST(window.passes, "passes");
  }
};

QTEST_APPLESS_MAIN(ClosingAnimationTest)
#include "ClosingAnimationTest.moc"
