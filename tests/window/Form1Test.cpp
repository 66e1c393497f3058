#include "Form1.h"
#include "ScriptedServices.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyle>
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

QString Clipboard() {
  return QGuiApplication::clipboard()->text();
}

const char* const kRequirementsError = "The Key Does Not Meet The Requirements!";

}  // namespace

class Form1Test : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<RecordingServices> services_;
  std::unique_ptr<morvane::Form1> form_;

  template <typename Control>
  Control* Find(const char* name) {
    auto* control = form_->findChild<Control*>(QString::fromLatin1(name));
    if (control == nullptr) qFatal("no control %s", name);
    return control;
  }
  QLineEdit* Text(int number) { return Find<QLineEdit>(("Text" + std::to_string(number)).c_str()); }
  QCheckBox* Check(int number) {
    return Find<QCheckBox>(("Check" + std::to_string(number)).c_str());
  }
  QScrollBar* Stepper() { return Find<QScrollBar>("VScroll1"); }
  void Generate() { QTest::mouseClick(Find<QPushButton>("Command1"), Qt::LeftButton); }
  void CheckKey() { QTest::mouseClick(Find<QPushButton>("cmdOK"), Qt::LeftButton); }
  void SetBoxes(bool upper, bool digits, bool lower, bool ascii) {
    Check(1)->setChecked(upper);
    Check(2)->setChecked(digits);
    Check(3)->setChecked(lower);
    if (ascii) Check(4)->setChecked(true);
  }
  const morvane::testing::ShownMessageBox& OnlyBox() {
    if (services_->shown_boxes.size() != 1) qFatal("%zu boxes", services_->shown_boxes.size());
    return services_->shown_boxes.front();
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
    QCOMPARE(form_->windowTitle(), QStringLiteral("Morvane & Generator"));
    QCOMPARE(form_->size(), QSize(345, 211));
    QCOMPARE(Text(3)->text(), QString());
    QCOMPARE(Text(1)->text(), QString());
    QCOMPARE(Text(2)->text(), QStringLiteral("12"));
    QCOMPARE(Stepper()->value(), 12);
    QVERIFY(Check(1)->isChecked() && Check(2)->isChecked() && Check(3)->isChecked());
    QVERIFY(!Check(4)->isChecked());
    QCOMPARE(QApplication::focusWidget(), Text(3));
    QVERIFY(services_->shown_boxes.empty());
  }

  void placesControlsFromTheTwipsTable_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");
    QTest::addRow("Text3") << "Text3" << QRect(16, 16, 273, 25) << "";
    QTest::addRow("cmdOK") << "cmdOK" << QRect(296, 16, 33, 25) << "";
    QTest::addRow("Text1") << "Text1" << QRect(16, 48, 273, 25) << "";
    QTest::addRow("Command1") << "Command1" << QRect(16, 88, 121, 25) << "Generate Password";
    QTest::addRow("Check1") << "Check1" << QRect(168, 87, 97, 25) << "Uppercase A-Z";
    QTest::addRow("Check3") << "Check3" << QRect(168, 113, 97, 25) << "Lowercase a-z";
    QTest::addRow("Label1") << "Label1" << QRect(24, 136, 121, 25) << "Length Of Password";
    QTest::addRow("Check2") << "Check2" << QRect(168, 140, 81, 17) << "Numbers 0-9";
    QTest::addRow("Text2") << "Text2" << QRect(32, 160, 41, 30) << "12";
    QTest::addRow("VScroll1") << "VScroll1" << QRect(80, 160, 49, 30) << "";
    QTest::addRow("Check4") << "Check4" << QRect(168, 160, 113, 25) << "ASCII Characters";
    QTest::addRow("Label2") << "Label2" << QRect(0, 192, 345, 17) << "";
  }
  void placesControlsFromTheTwipsTable() {
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);
    auto* control = form_->findChild<QWidget*>(name);
    QVERIFY(control);
    QCOMPARE(control->geometry(), geometry);
    QCOMPARE(control->property("text").toString(), caption);
  }

  void showsTipsAndColours() {
    QCOMPARE(Find<QPushButton>("cmdOK")->toolTip(), QStringLiteral(" Morvane "));
    QCOMPARE(Text(1)->toolTip(), QStringLiteral("Click To Copy To Clipboard"));
    QVERIFY(!Find<QLabel>("Label2")->toolTip().isEmpty());
    QVERIFY(Text(1)->isReadOnly() && Text(2)->isReadOnly() && !Text(3)->isReadOnly());

    const QColor grey(192, 192, 192);
    QCOMPARE(form_->palette().color(QPalette::Window), grey);
    for (const char* name :
         {"Label1", "Label2", "Check1", "Check2", "Check3", "Check4", "Command1", "cmdOK"}) {
      const QPalette palette = Find<QWidget>(name)->palette();
      QCOMPARE(palette.color(QPalette::Window), grey);
      QCOMPARE(palette.color(QPalette::Button), grey);  // what buttons and check boxes paint
    }
    QCOMPARE(Find<QPushButton>("Command1")->style()->name().toLower(), QStringLiteral("windows"));
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
    QTest::addColumn<QList<bool>>("before");
    QTest::addColumn<int>("clicked");
    QTest::addColumn<QList<bool>>("after");
    QTest::addRow("ASCII over all three classes")
        << QList<bool>{true, true, true, false} << 4 << QList<bool>{false, false, false, true};
    QTest::addRow("upper case over ASCII")
        << QList<bool>{false, false, false, true} << 1 << QList<bool>{true, false, false, false};
    QTest::addRow("digits over ASCII")
        << QList<bool>{false, false, false, true} << 2 << QList<bool>{false, true, false, false};
    QTest::addRow("lower case over ASCII")
        << QList<bool>{false, false, false, true} << 3 << QList<bool>{false, false, true, false};
    QTest::addRow("unchecking a class leaves ASCII off")
        << QList<bool>{true, true, true, false} << 2 << QList<bool>{true, false, true, false};
    QTest::addRow("unchecking ASCII leaves nothing checked")
        << QList<bool>{false, false, false, true} << 4 << QList<bool>{false, false, false, false};
  }
  void keepsAsciiApartFromTheClasses() {
    QFETCH(QList<bool>, before);
    QFETCH(int, clicked);
    QFETCH(QList<bool>, after);
    SetBoxes(before[0], before[1], before[2], before[3]);
    QTest::mouseClick(Check(clicked), Qt::LeftButton, {}, QPoint(6, Check(clicked)->height() / 2));
    const QList<bool> state{Check(1)->isChecked(), Check(2)->isChecked(), Check(3)->isChecked(),
                            Check(4)->isChecked()};
    QCOMPARE(state, after);
  }

  // Unchecking the first class box runs its handler nested, which unchecks ASCII for a moment;
  // the last step checks it again, running the ASCII handler once more inside the first run.
  void asciiHandlerRunsNestedInsideItself() {
    QSignalSpy toggles(Check(4), &QCheckBox::toggled);
    Check(4)->click();
    // The spy hears each emission after the handler, so the nested ones come first.
    QCOMPARE(toggles.size(), 3);
    QCOMPARE(toggles.at(0).at(0).toBool(), false);
    QCOMPARE(toggles.at(1).at(0).toBool(), true);
    QVERIFY(Check(4)->isChecked());
  }

  void keepsTheStepperBetween2And255_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("action");  // "lower arrow", "upper arrow" or "set"
    QTest::addColumn<int>("setTo");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("length");
    QTest::addRow("lower arrow adds one") << 100 << "lower arrow" << 0 << 101 << "101";
    QTest::addRow("upper arrow takes one") << 100 << "upper arrow" << 0 << 99 << "99";
    QTest::addRow("lower arrow at 255") << 255 << "lower arrow" << 0 << 255 << "255";
    QTest::addRow("upper arrow at 2") << 2 << "upper arrow" << 0 << 2 << "2";
    QTest::addRow("256 is caught") << 12 << "set" << 256 << 255 << "255";
    QTest::addRow("1 is caught") << 12 << "set" << 1 << 2 << "2";
    QTest::addRow("0 stands") << 12 << "set" << 0 << 0 << "0";
    QTest::addRow("300 stands") << 12 << "set" << 300 << 300 << "300";
  }
  void keepsTheStepperBetween2And255() {
    QFETCH(int, start);
    QFETCH(QString, action);
    QFETCH(int, setTo);
    Stepper()->setValue(start);
    if (action == QLatin1String("set")) {
      Stepper()->setValue(setTo);
    } else {
      const int y = action == QLatin1String("lower arrow") ? Stepper()->height() - 4 : 4;
      QTest::mouseClick(Stepper(), Qt::LeftButton, {}, QPoint(Stepper()->width() / 2, y));
    }
    QTEST(Stepper()->value(), "value");
    QTEST(Text(2)->text(), "length");
  }

  void stepperWheelNotchIsOneStep() {
    const QPoint centre = Stepper()->rect().center();
    QWheelEvent notch(centre, Stepper()->mapToGlobal(centre), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(Stepper(), &notch);
    QCOMPARE(qAbs(Stepper()->value() - 12), 1);
    QCOMPARE(Stepper()->contextMenuPolicy(), Qt::NoContextMenu);
  }

  void generatesFromEachRowOfTheClassTable_data() {
    QTest::addColumn<QList<bool>>("boxes");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("verdict");
    const auto row = [](const char* name, const QList<bool>& boxes, const QString& key,
                        const char* verdict) {
      QTest::addRow("%s", name) << boxes << key << QString::fromLatin1(verdict);
    };
    row("12 upper, digits", {true, true, false, false}, "2F3G4H5I6J7K", "Is Medium Quality:  72");
    row("123 all three", {true, true, true, false}, "2Fd3Ge4Hf5Ig", "Is Very Strong Quality:  100");
    row("1 upper", {true, false, false, false}, "FGHIJKLMNOFG", "Is Weak Quality:  48");
    row("13 upper, lower", {true, false, true, false}, "FdGeHfIgJhKi", "Is Medium Quality:  72");
    row("23 digits, lower", {false, true, true, false}, "2d3e4f5g6h7i", "Is Medium Quality:  72");
    row("2 digits", {false, true, false, false}, "234567892345", "Is Weak Quality:  48");
    row("3 lower", {false, false, true, false}, "defghijklmde", "Is Weak Quality:  48");
    row("66 ASCII", {false, false, false, true}, QStringLiteral("2Fd\u00C83Ge\u00C94Hf\u00CA"),
        "Is Very Strong Quality:  100");
  }
  void generatesFromEachRowOfTheClassTable() {
    QFETCH(QList<bool>, boxes);
    QFETCH(QString, key);
    QFETCH(QString, verdict);
    SetBoxes(boxes[0], boxes[1], boxes[2], boxes[3]);
    Generate();

    QCOMPARE(services_->reseeds.size(), 1u);
    QCOMPARE(Text(1)->text(), key);
    QCOMPARE(Clipboard(), key);
    const auto& box = OnlyBox();
    QCOMPARE(box.style, MessageBoxStyle::Information);
    QCOMPARE(box.title, std::string("Password Quality "));
    QCOMPARE(QString::fromStdString(box.prompt),
             "The Key Generated: " + key + "\r\n\r\n" + verdict + " Percent");
    QCOMPARE(QApplication::focusWidget(), Text(1));
  }

  void generatesWithTheLengthText_data() {
    QTest::addColumn<QString>("lengthText");
    QTest::addColumn<QString>("key");
    QTest::addRow("0 makes an empty key") << "0"
                                          << "";
    QTest::addRow("1") << "1"
                       << "2";
    QTest::addRow("2") << "2"
                       << "2F";
    QTest::addRow("1.5 rounds up to even") << "1.5" << QStringLiteral("2F");
    QTest::addRow("2.5 rounds down to even") << " 2.5 " << QStringLiteral("2F");
    QTest::addRow("255.5 rounds past a byte") << "255.5" << QString();
    QTest::addRow("256 is no byte") << "256"
                                    << "";
    QTest::addRow("-1 is no byte") << "-1"
                                   << "";
    QTest::addRow("no number") << "twelve"
                               << "";
  }
  void generatesWithTheLengthText() {
    QFETCH(QString, lengthText);
    QFETCH(QString, key);
    Text(2)->setText(lengthText);
    Generate();
    QCOMPARE(Text(1)->text(), key);
    QCOMPARE(Clipboard(), key);
    const auto& box = OnlyBox();
    QCOMPARE(box.style, MessageBoxStyle::Critical);
    QCOMPARE(box.title, std::string("Error"));
    QCOMPARE(box.prompt, std::string(kRequirementsError));
    QCOMPARE(QApplication::focusWidget(), Text(1));
  }

  void generatesTheLongestKey() {
    Stepper()->setValue(255);
    SetBoxes(false, true, false, false);
    Generate();
    QCOMPARE(Text(1)->text().size(), 255);
  }

  void asksWhenNoBoxIsChecked() {
    Generate();  // a key first, so that emptying shows
    services_->shown_boxes.clear();
    SetBoxes(false, false, false, false);
    Generate();
    const auto& box = OnlyBox();
    QCOMPARE(box.style, MessageBoxStyle::Critical);
    QCOMPARE(box.title, std::string("Error"));
    QCOMPARE(box.prompt, std::string("Are You Sure You Want A Password?? :) "));
    QCOMPARE(Text(1)->text(), QString());
    QCOMPARE(Clipboard(), QString());
    QVERIFY(QApplication::focusWidget() != Text(1));
  }

  void checksATypedKeyAndLeavesEverythingEmpty_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<MessageBoxStyle>("style");
    QTest::addColumn<QString>("prompt");
    QTest::addRow("medium key") << "Ab1:c" << MessageBoxStyle::Information
                                << "The Key Generated: Ab1:c\r\n\r\nIs Medium Quality:  68 Percent";
    QTest::addRow("spaces are a key too")
        << "   " << MessageBoxStyle::Critical << QString::fromLatin1(kRequirementsError);
    QTest::addRow("markup stays text")
        << "<b>x</b>" << MessageBoxStyle::Information
        << "The Key Generated: <b>x</b>\r\n\r\nIs Weak Quality:  48 Percent";
    QTest::addRow("two words with edge spaces")
        << " Hello World " << MessageBoxStyle::Information
        << "The Key Generated:  Hello World \r\n\r\nIs Very Strong Quality:  100 Percent";
  }
  void checksATypedKeyAndLeavesEverythingEmpty() {
    QFETCH(QString, key);
    QFETCH(MessageBoxStyle, style);
    QFETCH(QString, prompt);
    QTest::keyClicks(Text(3), key);
    CheckKey();
    const auto& box = OnlyBox();
    QCOMPARE(box.style, style);
    QCOMPARE(QString::fromStdString(box.prompt), prompt);
    QCOMPARE(services_->clipboard_while_shown, QStringList{key});
    QCOMPARE(Text(1)->text(), QString());
    QCOMPARE(Text(3)->text(), QString());
    QCOMPARE(Clipboard(), QString());
    QCOMPARE(QApplication::focusWidget(), Text(3));
  }

  // Pasted as a user pastes; the box shows a preview but holds, checks and copies the whole key.
  void checksAPastedKeyOfAnyLength() {
    const QString key = QString(99'999, QLatin1Char('a')) + QLatin1Char('b');
    QGuiApplication::clipboard()->setText(key);
    QTest::keyClick(Text(3), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(Text(3)->text(), key);
    QCOMPARE(Text(3)->echoMode(), QLineEdit::NoEcho);  // kept out of Qt's whole-line layout
    CheckKey();
    QCOMPARE(services_->clipboard_while_shown, QStringList{key});
    QCOMPARE(QString::fromStdString(OnlyBox().prompt),
             "The Key Generated: " + key + "\r\n\r\nIs Very Strong Quality:  100 Percent");
    QCOMPARE(Text(3)->text(), QString());
    QCOMPARE(Text(3)->echoMode(), QLineEdit::Normal);  // short text shows as usual again
  }

  void refusesToCheckNothing() {
    Generate();
    const QString key = Text(1)->text();
    services_->shown_boxes.clear();
    CheckKey();
    const auto& box = OnlyBox();
    QCOMPARE(box.style, MessageBoxStyle::Critical);
    QCOMPARE(box.title, std::string("Morvane (Error)"));
    QCOMPARE(box.prompt, std::string(" Can Not Check Nothing "));
    QCOMPARE(Text(1)->text(), key);
    QCOMPARE(Clipboard(), key);
    QCOMPARE(QApplication::focusWidget(), Text(3));
  }

  void marksTheClipboardSecret() {
    Generate();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data);
    QCOMPARE(data->text(), Text(1)->text());
    QCOMPARE(data->data(QStringLiteral("x-kde-passwordManagerHint")), QByteArray("secret"));
  }

  void closingSlidesTheWindowOffTheScreen() {
    const int screen_width = form_->screen()->geometry().width();
    form_->move(100, 100);
    QVERIFY(form_->close());
    // The top is compared with the screen's width, so it ends past that.
    QVERIFY2(form_->y() > screen_width, qPrintable(QString::number(form_->y())));
    QCOMPARE(form_->x() - 100, form_->y() - 100);
    QVERIFY(form_->width() < 345);
  }
};

QTEST_MAIN(Form1Test)
#include "Form1Test.moc"
