#include "Form1.h"
#include "ScriptedServices.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

#include <memory>

using morvane::MessageBoxStyle;
using morvane::testing::ScriptedServices;

Q_DECLARE_METATYPE(MessageBoxStyle)

namespace {

// Draws that name the codes 50+i, 70+i, 100+i and 200+i for i = 0 to 9 in turn, so each class
// code picks its own characters out of them and the keys are not repetitions.
std::vector<float> MixedDraws() {
  std::vector<float> draws;
  for (int i = 0; i < 10; ++i) {
    for (const int code : {50, 70, 100, 200}) draws.push_back(static_cast<float>(code + i) / 1000);
  }
  return draws;
}

// Also notes what the clipboard held while each box was up.
class RecordingServices : public ScriptedServices {
 public:
  RecordingServices() : ScriptedServices(MixedDraws()) {}
  void ShowMessageBox(MessageBoxStyle style, std::string_view prompt,
                      std::string_view title) override {
    ScriptedServices::ShowMessageBox(style, prompt, title);
    clipboard_while_shown.push_back(QGuiApplication::clipboard()->text());
  }
  QStringList clipboard_while_shown;
};

const QColor kGrey(192, 192, 192);
const QString kEarlierKey = QStringLiteral("earlier key");

// Adds the style, title and prompt of the report on a key: its verdict, or the requirements
// error when there is none.
QTestData& Report(QTestData& row, const QString& key, const char* verdict) {
  if (*verdict == 0) {
    return row << MessageBoxStyle::Critical << "Error"
               << "The Key Does Not Meet The Requirements!";
  }
  return row << MessageBoxStyle::Information << "Password Quality "
             << "The Key Generated: " + key + "\r\n\r\nIs " + verdict + " Percent";
}

}  // namespace

class Form1Test : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<RecordingServices> services_;
  std::unique_ptr<morvane::Form1> form_;

  template <typename Control = QWidget>
  Control* Find(const QString& name) {
    auto* control = form_->findChild<Control*>(name);
    if (control == nullptr) qFatal("no control %s", qPrintable(name));
    return control;
  }
  QLineEdit* Text(int number) { return Find<QLineEdit>(QStringLiteral("Text%1").arg(number)); }
  QCheckBox* Check(int number) { return Find<QCheckBox>(QStringLiteral("Check%1").arg(number)); }
  QScrollBar* Stepper() { return Find<QScrollBar>(QStringLiteral("VScroll1")); }
  void Click(const char* button) { QTest::mouseClick(Find(button), Qt::LeftButton); }
  // The four boxes as "0" and "1", Check1 (upper case) to Check4 (ASCII).
  void SetBoxes(const QString& boxes) {
    for (int i = 0; i < 4; ++i) Check(i + 1)->setChecked(boxes[i] == '1');
  }
  QString Boxes() {
    QString boxes;
    for (int i = 1; i <= 4; ++i) boxes += Check(i)->isChecked() ? '1' : '0';
    return boxes;
  }

 private slots:
  void init() {
    QGuiApplication::clipboard()->clear();
    services_ = std::make_unique<RecordingServices>();
    form_ = std::make_unique<morvane::Form1>(*services_);
    form_->show();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
  }
  void cleanup() {
    form_.reset();
    services_.reset();
  }

  void startsWithLength12AndThreeClasses() {
    QCOMPARE(form_->size(), QSize(345, 211));
    QCOMPARE(form_->grab().toImage().pixelColor(4, 4), kGrey);
    QCOMPARE(Text(3)->text() + Text(1)->text() + Text(2)->text(), QStringLiteral("12"));
    QCOMPARE(Stepper()->value(), 12);
    QCOMPARE(Boxes(), QStringLiteral("1110"));
    QCOMPARE(QApplication::focusWidget(), Text(3));
    QVERIFY(services_->shown_boxes.empty());
    QTest::keyClicks(Text(1), QStringLiteral("x"));  // output and length are not typed into
    QTest::keyClicks(Text(2), QStringLiteral("9"));
    QCOMPARE(Text(1)->text() + Text(2)->text(), QStringLiteral("12"));
  }

  // Twips at 15 to a pixel. Grey is checked where it shows, near the bottom-right corner: check
  // boxes and buttons paint their face with another palette role than the window.
  void placesAndPaintsTheControls_data() {
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("grey");
    const auto row = [](const char* name, QRect geometry, const char* caption, bool grey) {
      QTest::addRow("%s", name) << geometry << QString::fromLatin1(caption) << grey;
    };
    row("Text3", {16, 16, 273, 25}, "", false);
    row("cmdOK", {296, 16, 33, 25}, "", true);
    row("Text1", {16, 48, 273, 25}, "", false);
    row("Command1", {16, 88, 121, 25}, "Generate Password", true);
    row("Check1", {168, 87, 97, 25}, "Uppercase A-Z", true);
    row("Check3", {168, 113, 97, 25}, "Lowercase a-z", true);
    row("Label1", {24, 136, 121, 25}, "Length Of Password", true);
    row("Check2", {168, 140, 81, 17}, "Numbers 0-9", true);
    row("Text2", {32, 160, 41, 30}, "12", false);
    row("VScroll1", {80, 160, 49, 30}, "", false);
    row("Check4", {168, 160, 113, 25}, "ASCII Characters", true);
    row("Label2", {0, 192, 345, 17}, "", true);
  }
  void placesAndPaintsTheControls() {
    QFETCH(QRect, geometry);
    QFETCH(bool, grey);
    auto* control = Find(QString::fromLatin1(QTest::currentDataTag()));
    QCOMPARE(control->geometry(), geometry);
    QTEST(control->property("text").toString(), "caption");
    const QPoint inside = geometry.bottomRight() - QPoint(3, 3);
    if (grey) QCOMPARE(form_->grab().toImage().pixelColor(inside), kGrey);
  }

  void tabsThroughTheControlsInOrder() {
    QStringList visited;
    for (int i = 0; i < 9; ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, QStringList({"Text1", "Text2", "VScroll1", "Command1", "Check1", "Check2",
                                   "Check3", "Check4", "cmdOK"}));
  }

  void keepsAsciiApartFromTheClasses_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("clicked");
    QTest::addColumn<QString>("after");
    QTest::addRow("ASCII over all three classes") << "1110" << 4 << "0001";
    QTest::addRow("upper case over ASCII") << "0001" << 1 << "1000";
    QTest::addRow("digits over ASCII") << "0001" << 2 << "0100";
    QTest::addRow("lower case over ASCII") << "0001" << 3 << "0010";
    QTest::addRow("unchecking ASCII leaves nothing checked") << "0001" << 4 << "0000";
  }
  void keepsAsciiApartFromTheClasses() {
    QFETCH(QString, before);
    QFETCH(int, clicked);
    SetBoxes(before);
    QTest::mouseClick(Check(clicked), Qt::LeftButton, {}, QPoint(6, Check(clicked)->height() / 2));
    QTEST(Boxes(), "after");
  }

  void keepsTheStepperBetween2And255_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("length");
    QTest::addRow("lower arrow adds one") << 100 << "lower arrow" << 101 << "101";
    QTest::addRow("a wheel notch is one step") << 100 << "wheel down" << 101 << "101";
    QTest::addRow("lower arrow at 255 escapes to 256") << 255 << "lower arrow" << 255 << "255";
    QTest::addRow("upper arrow at 2 escapes to 1") << 2 << "upper arrow" << 2 << "2";
    QTest::addRow("0 from code stands") << 0 << "" << 0 << "0";
    QTest::addRow("300 from code stands") << 300 << "" << 300 << "300";
  }
  void keepsTheStepperBetween2And255() {
    QFETCH(int, start);
    QFETCH(QString, action);
    Stepper()->setValue(start);
    const QPoint centre = Stepper()->rect().center();
    if (action == QLatin1String("wheel down")) {
      QWheelEvent notch(centre, Stepper()->mapToGlobal(centre), QPoint(), QPoint(0, -120),
                        Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
      QApplication::sendEvent(Stepper(), &notch);
    } else if (!action.isEmpty()) {
      const int y = action == QLatin1String("lower arrow") ? Stepper()->height() - 4 : 4;
      QTest::mouseClick(Stepper(), Qt::LeftButton, {}, QPoint(centre.x(), y));
    }
    QTEST(Stepper()->value(), "value");
    QTEST(Text(2)->text(), "length");
  }

  // Each with an earlier key in Text1. Generating: every row of the class table at length 12, no
  // box at all, then length texts with the three classes; no key, or one shorter than 3
  // characters, gets the requirements error. Checking a pasted key leaves Text1, Text3 and the
  // clipboard empty and the focus in Text3; an empty Text3 leaves the earlier key standing.
  void runsACommand_data() {
    QTest::addColumn<QString>("boxes");
    QTest::addColumn<QString>("length");
    QTest::addColumn<QString>("pasted");  // into Text3
    QTest::addColumn<QString>("button");
    QTest::addColumn<MessageBoxStyle>("style");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<QString>("shown");  // on the clipboard while the box is up
    QTest::addColumn<QString>("left");   // in Text1 and on the clipboard afterwards
    QTest::addColumn<QString>("focus");
    const auto generate = [](const char* boxes, const char* length, const QString& key,
                             const char* verdict) {
      auto& row = QTest::addRow("generate %s length '%s'", boxes, length)
                  << boxes << length << QString() << "Command1";
      Report(row, key, verdict) << key << key << "Text1";
    };
    const auto check = [](const char* name, const QString& key, const char* verdict) {
      auto& row = QTest::addRow("check %s", name)
                  << QStringLiteral("1110") << QStringLiteral("12") << key << "cmdOK";
      Report(row, key, verdict) << key << QString() << "Text3";
    };
    generate("1100", "12", "2F3G4H5I6J7K", "Medium Quality:  72");        // code 12
    generate("1110", "12", "2Fd3Ge4Hf5Ig", "Very Strong Quality:  100");  // 123
    generate("1000", "12", "FGHIJKLMNOFG", "Weak Quality:  48");          // 1
    generate("1010", "12", "FdGeHfIgJhKi", "Medium Quality:  72");        // 13
    generate("0110", "12", "2d3e4f5g6h7i", "Medium Quality:  72");        // 23
    generate("0100", "12", "234567892345", "Weak Quality:  48");          // 2
    generate("0010", "12", "defghijklmde", "Weak Quality:  48");          // 3
    generate("0001", "12", QStringLiteral("2Fd\u00C83Ge\u00C94Hf\u00CA"),
             "Very Strong Quality:  100");
    QTest::addRow("generate with no box: no report")
        << QStringLiteral("0000") << QStringLiteral("12") << QString() << "Command1"
        << MessageBoxStyle::Critical << "Error"
        << "Are You Sure You Want A Password?? :) " << QString() << QString() << "Command1";
    generate("1110", "0", "", "");
    generate("1110", "1", "2", "");
    generate("1110", "2", "2F", "");
    generate("1110", "1.5", "2F", "");  // rounded half to even
    generate("1110", " 2.5 ", "2F", "");
    generate("1110", "256", "", "");  // no byte: no key
    generate("1110", "-1", "", "");
    generate("1110", "twelve", "", "");
    check("medium key", "Ab1:c", "Medium Quality:  68");
    check("spaces, a key too", "   ", "");
    check("markup, which stays text", "<b>x</b>", "Weak Quality:  48");
    check("past Qt's usual limit of 32767", QString(99'999, 'a') + 'b',
          "Very Strong Quality:  100");
    QTest::addRow("check nothing")
        << QStringLiteral("1110") << QStringLiteral("12") << QString() << "cmdOK"
        << MessageBoxStyle::Critical << "Morvane (Error)"
        << " Can Not Check Nothing " << kEarlierKey << kEarlierKey << "Text3";
  }
  void runsACommand() {
    QFETCH(QString, boxes);
    QFETCH(QString, length);
    QFETCH(QString, pasted);
    QFETCH(QString, button);
    QFETCH(QString, left);
    SetBoxes(boxes);
    Text(2)->setText(length);
    QGuiApplication::clipboard()->setText(pasted);
    QTest::keyClick(Text(3), Qt::Key_V, Qt::ControlModifier);
    Text(1)->setText(kEarlierKey);  // which its mirror puts on the clipboard
    Click(qPrintable(button));

    QCOMPARE(services_->reseeds.size(), button == QLatin1String("Command1") ? 1u : 0u);
    QCOMPARE(services_->shown_boxes.size(), 1u);
    const auto& box = services_->shown_boxes.front();
    QTEST(box.style, "style");
    QTEST(QString::fromStdString(box.title), "title");
    QTEST(QString::fromStdString(box.prompt), "prompt");
    QTEST(services_->clipboard_while_shown.value(0), "shown");
    QCOMPARE(Text(1)->text(), left);
    QCOMPARE(QGuiApplication::clipboard()->text(), left);
    if (!left.isEmpty()) {
      const QMimeData* clipboard = QGuiApplication::clipboard()->mimeData();
      QCOMPARE(clipboard->data(QStringLiteral("x-kde-passwordManagerHint")), QByteArray("secret"));
    }
    QCOMPARE(Text(3)->text(), QString());
    QTEST(QApplication::focusWidget()->objectName(), "focus");
    QTest::keyClicks(Text(3), QStringLiteral("Ab1"));  // a long key left no hidden display
    QCOMPARE(Text(3)->displayText(), QStringLiteral("Ab1"));
  }

  // Through the real window geometry: the top is compared with the screen's width.
  void closingSlidesTheWindowOffTheScreen() {
    const int screen_width = form_->screen()->geometry().width();
    form_->move(100, 100);
    QVERIFY(form_->close());
    QVERIFY2(form_->y() > screen_width, qPrintable(QString::number(form_->y())));
    QCOMPARE(form_->x() - 100, form_->y() - 100);
    QVERIFY(form_->width() < 345);
  }
};

QTEST_MAIN(Form1Test)
#include "Form1Test.moc"
