#include "ClosingAnimation.h"

#include <QTest>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

using morvane::AnimationEnd;
using morvane::RunClosingAnimation;

Q_DECLARE_METATYPE(AnimationEnd)

namespace {

// A window in twips that logs every write and can be told to refuse or fail some of them.
class FakeWindow : public morvane::WindowGeometry {
 public:
  float top = 1500;
  float left = 1500;
  float width = 5295;
  float height = 3615;
  float screen_width = 3000;
  float minimum_size = 0;  // sizes stop here, as a window system's minimum would
  bool frozen = false;     // every write is ignored
  bool left_fails = false;
  bool reading_fails = false;
  std::vector<std::string> log;

  float Top() const override { return Read(top); }
  float Left() const override { return Read(left); }
  float Width() const override { return Read(width); }
  float Height() const override { return Read(height); }
  void SetTop(float twips) override { Write("top", top, twips); }
  void SetLeft(float twips) override {
    if (left_fails) throw std::runtime_error("refused");
    Write("left", left, twips);
  }
  void SetWidth(float twips) override { Write("width", width, std::max(minimum_size, twips)); }
  void SetHeight(float twips) override { Write("height", height, std::max(minimum_size, twips)); }
  float ScreenWidth() const override { return screen_width; }
  void ShowChanges() override { log.emplace_back("show"); }

  int Passes() const { return static_cast<int>(std::count(log.begin(), log.end(), "show")); }

 private:
  float Read(float value) const {
    if (reading_fails) throw std::runtime_error("gone");
    return value;
  }
  void Write(const char* what, float& value, float twips) {
    log.push_back(std::string(what) + " " + std::to_string(static_cast<int>(twips)));
    if (!frozen) value = twips;
  }
};

bool NeverOutOfTime() {
  return false;
}

}  // namespace

class ClosingAnimationTest : public QObject {
  Q_OBJECT

 private slots:
  void changesTopLeftWidthHeightInThisOrder() {
    FakeWindow window;
    RunClosingAnimation(window, NeverOutOfTime);
    const std::vector<std::string> first_pass(window.log.begin(), window.log.begin() + 5);
    QCOMPARE(first_pass, (std::vector<std::string>{"top 1530", "left 1530", "width 5235",
                                                   "height 3555", "show"}));
  }

  void endsWhereItShould_data() {
    QTest::addColumn<float>("top");
    QTest::addColumn<float>("screenWidth");
    QTest::addColumn<float>("minimumSize");
    QTest::addColumn<AnimationEnd>("end");
    QTest::addColumn<int>("passes");

    // The test compares the top with the screen's width and comes after each pass.
    QTest::addRow("top passes the screen's width")
        << 1500.0F << 3000.0F << 0.0F << AnimationEnd::LeftScreen << 51;
    QTest::addRow("top equal to the width is not past it")
        << 2970.0F << 3000.0F << 0.0F << AnimationEnd::LeftScreen << 2;
    QTest::addRow("already beyond: still one pass")
        << 9000.0F << 3000.0F << 0.0F << AnimationEnd::LeftScreen << 1;
    QTest::addRow("at its smallest it only moves")
        << 0.0F << 30000.0F << 600.0F << AnimationEnd::LeftScreen << 1001;
  }
  void endsWhereItShould() {
    QFETCH(float, top);
    QFETCH(float, screenWidth);
    QFETCH(float, minimumSize);
    QFETCH(AnimationEnd, end);
    QFETCH(int, passes);
    FakeWindow window;
    window.top = top;
    window.screen_width = screenWidth;
    window.minimum_size = minimumSize;

    QCOMPARE(RunClosingAnimation(window, NeverOutOfTime), end);
    QCOMPARE(window.Passes(), passes);
    QVERIFY(window.top > screenWidth);
    QCOMPARE(window.left - 1500.0F, window.top - top);  // down and right alike
    QCOMPARE(window.width, std::max(minimumSize, 5295.0F - 2.0F * (window.top - top)));
  }

  void stopsOnAWindowThatCannotMove() {
    FakeWindow window;
    window.frozen = true;
    QCOMPARE(RunClosingAnimation(window, NeverOutOfTime), AnimationEnd::Stuck);
    QCOMPARE(window.Passes(), 1);
  }

  void stopsWhenTimeRunsOut() {
    FakeWindow window;
    window.screen_width = 1e9F;
    int asked = 0;
    QCOMPARE(RunClosingAnimation(window, [&] { return ++asked == 5; }), AnimationEnd::OutOfTime);
    QCOMPARE(window.Passes(), 5);
  }

  void aRefusedChangeSkipsOnlyThatChange() {
    FakeWindow window;
    window.left_fails = true;
    QCOMPARE(RunClosingAnimation(window, NeverOutOfTime), AnimationEnd::LeftScreen);
    QCOMPARE(window.left, 1500.0F);
    QCOMPARE(window.Passes(), 51);
  }

  void aWindowThatCannotBeReadEndsAtOnce() {
    FakeWindow window;
    window.reading_fails = true;
    QCOMPARE(RunClosingAnimation(window, NeverOutOfTime), AnimationEnd::Failed);
  }
};

QTEST_APPLESS_MAIN(ClosingAnimationTest)
#include "ClosingAnimationTest.moc"
