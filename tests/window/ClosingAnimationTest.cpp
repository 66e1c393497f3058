#include "ClosingAnimation.h"

#include <QStringList>
#include <QTest>

#include <algorithm>

using morvane::AnimationEnd;
using morvane::RunClosingAnimation;

Q_DECLARE_METATYPE(AnimationEnd)

namespace {

// A window in twips on a screen 3000 twips wide, which logs every write.
class FakeWindow : public morvane::WindowGeometry {
 public:
  float top = 1500;
  float left = 1500;
  float width = 5295;
  float height = 3615;
  float minimum_size = 0;  // sizes stop here, as a window system's minimum would
  bool frozen = false;     // every write is ignored, as for a window that is kept in place
  QStringList log;
  int passes = 0;

  float Top() const override { return top; }
  float Left() const override { return left; }
  float Width() const override { return width; }
  float Height() const override { return height; }
  void SetTop(float twips) override { Write("top", top, twips); }
  void SetLeft(float twips) override { Write("left", left, twips); }
  void SetWidth(float twips) override { Write("width", width, std::max(minimum_size, twips)); }
  void SetHeight(float twips) override { Write("height", height, std::max(minimum_size, twips)); }
  float ScreenWidth() const override { return 3000; }
  void ShowChanges() override { ++passes; }

 private:
  void Write(const char* what, float& value, float twips) {
    log << QStringLiteral("%1 %2").arg(QLatin1String(what)).arg(twips);
    if (!frozen) value = twips;
  }
};

}  // namespace

class ClosingAnimationTest : public QObject {
  Q_OBJECT

 private slots:
  void changesTopLeftWidthHeightInThisOrder() {
    FakeWindow window;
    RunClosingAnimation(window, [] { return false; });
    QCOMPARE(window.log.mid(0, 5),
             QStringList({"top 1530", "left 1530", "width 5235", "height 3555", "top 1560"}));
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
