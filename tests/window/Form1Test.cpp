#include "CharacterSet.h"
#include "Form1.h"
#include "RecordingServices.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <memory>

using morvane::MessageBoxStyle;
using morvane::testing::RecordingServices;

namespace {

// The random source names these characters in turn, again and again; a key holds those that its
// classes accept, in this order.
const QString kDrawnCharacters = QStringLiteral("Ab1\u20ACCd2Ef3Gh4Ij5Kl6Mn7Op8");

std::vector<float> Draws() {
  std::vector<float> draws;
  for (const QChar c : kDrawnCharacters) {
    draws.push_back(static_cast<float>(morvane::CodeOfCharacter(c.unicode())) / 1000.0F);
  }
  return draws;
}

const QString kError = QStringLiteral("Error");
const QString kReportTitle = QStringLiteral("Password Quality ");
const QString kRequirements = QStringLiteral("The Key Does Not Meet The Requirements!");
const QString kEarlierKey = QStringLiteral("earlier key");
const QColor kGrey(192, 192, 192);

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
  QString Clipboard() const { return QString::fromStdString(services_->clipboard); }
  QString FocusName() const { return QApplication::focusWidget()->objectName(); }
  // The one box shown since the start of the test, as title and prompt.
  QStringList OnlyBoxShown() const {
    if (services_->shown_boxes.size() != 1) return {};
    const auto& box = services_->shown_boxes.front();
    const bool error = box.style == MessageBoxStyle::Critical;
    return {QString::fromStdString(box.title), QString::fromStdString(box.prompt),
            error ? QStringLiteral("critical") : QStringLiteral("information")};
  }
  static void ChooseFromContextMenu(QLineEdit* box, const QString& entry) {
    QContextMenuEvent event(QContextMenuEvent::Keyboard, box->rect().center(),
                            box->mapToGlobal(box->rect().center()));
    QApplication::sendEvent(box, &event);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QVERIFY(menu != nullptr);
    for (QAction* action : menu->actions()) {
      if (action->text().remove('&').startsWith(entry)) {
        menu->close();
        action->trigger();
        return;
      }
    }
    QFAIL("no such entry");
  }
  void Paste(QLineEdit* box, const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
  }

 private slots:
  void init() {
    services_ = std::make_unique<RecordingServices>(Draws());
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
    QCOMPARE(form_->grab().toImage().pixelColor(4, 4), kGrey);
    QCOMPARE(Text(3)->text() + Text(1)->text() + Text(2)->text(), QStringLiteral("12"));
    QCOMPARE(Stepper()->value(), 12);
    QCOMPARE(Boxes(), QStringLiteral("1110"));
    QCOMPARE(FocusName(), QStringLiteral("Text3"));
    QVERIFY(services_->shown_boxes.empty());
    QTest::keyClicks(Text(1), QStringLiteral("x"));  // output and length are not typed into
    QTest::keyClicks(Text(2), QStringLiteral("9"));
    Paste(Text(1), QStringLiteral("pasted"));  // nor pasted into
    QCOMPARE(Text(1)->text() + Text(2)->text(), QStringLiteral("12"));
  }

  // Twips at 15 to a pixel. Grey is checked where it shows, near the bottom-right corner: check
  // boxes and buttons paint their face with another palette role than the window.
  void placesAndLabelsTheControls_data() {
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("tip");
    QTest::addColumn<bool>("grey");
    QTest::addRow("Text3") << QRect(16, 16, 273, 25) << ""
                           << "" << false;
    QTest::addRow("cmdOK") << QRect(296, 16, 33, 25) << ""
                           << " Morvane " << true;
    QTest::addRow("Text1") << QRect(16, 48, 273, 25) << ""
                           << "Click To Copy To Clipboard" << false;
    QTest::addRow("Command1") << QRect(16, 88, 121, 25) << "Generate Password"
                              << "" << true;
    QTest::addRow("Check1") << QRect(168, 87, 97, 25) << "Uppercase A-Z"
                            << "" << true;
    QTest::addRow("Check3") << QRect(168, 113, 97, 25) << "Lowercase a-z"
                            << "" << true;
    QTest::addRow("Label1") << QRect(24, 136, 121, 25) << "Length Of Password"
                            << "" << true;
    QTest::addRow("Check2") << QRect(168, 140, 81, 17) << "Numbers 0-9"
                            << "" << true;
    QTest::addRow("Text2") << QRect(32, 160, 41, 30) << "12"
                           << "" << false;
    QTest::addRow("VScroll1") << QRect(80, 160, 49, 30) << ""
                              << "" << false;
    QTest::addRow("Check4") << QRect(168, 160, 113, 25) << "ASCII Characters"
                            << "" << true;
    QTest::addRow("Label2") << QRect(0, 192, 345, 17) << ""
                            << "Morvane & Generator 1.00" << true;
  }
  void placesAndLabelsTheControls() {
    QFETCH(QRect, geometry);
    QFETCH(bool, grey);
    auto* control = Find(QString::fromLatin1(QTest::currentDataTag()));
    QCOMPARE(control->geometry(), geometry);
    QTEST(control->property("text").toString(), "caption");
    QTEST(control->toolTip(), "tip");
    const QPoint inside = geometry.bottomRight() - QPoint(3, 3);
    if (grey) QCOMPARE(form_->grab().toImage().pixelColor(inside), kGrey);
  }

  void writesKeysInCourierNew_data() {
    QTest::addColumn<qreal>("points");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("readOnly");
    QTest::addRow("Text3") << 9.75 << false << false;
    QTest::addRow("Text1") << 9.75 << false << true;
    QTest::addRow("Text2") << 14.25 << true << true;
  }
  void writesKeysInCourierNew() {
    const QLineEdit* box = Find<QLineEdit>(QString::fromLatin1(QTest::currentDataTag()));
    QCOMPARE(box->font().family(), QStringLiteral("Courier New"));
    QTEST(box->font().pointSizeF(), "points");
    QTEST(box->font().bold(), "bold");
    QTEST(box->isReadOnly(), "readOnly");
    QCOMPARE(box->alignment(), Qt::AlignCenter);
  }

  void tabsThroughTheControlsInOrder() {
    QStringList visited;
    for (int i = 0; i < 9; ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      visited << FocusName();
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
    QTest::addRow("unchecking a class leaves ASCII unchecked") << "1110" << 2 << "1010";
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
    QTest::addRow("upper arrow takes one away") << 100 << "upper arrow" << 99 << "99";
    QTest::addRow("a wheel notch is one step") << 100 << "wheel down" << 101 << "101";
    QTest::addRow("lower arrow at 254 reaches 255") << 254 << "lower arrow" << 255 << "255";
    QTest::addRow("lower arrow at 255 escapes to 256") << 255 << "lower arrow" << 255 << "255";
    QTest::addRow("upper arrow at 3 reaches 2") << 3 << "upper arrow" << 2 << "2";
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

  // Keys hold the characters of kDrawnCharacters that their classes accept, in turn. A length
  // that is no number from 0 to 255 makes no key, and no key, or one shorter than 3 characters,
  // gets the requirements error.
  void generatesAKeyAndRatesIt_data() {
    QTest::addColumn<QString>("boxes");
    QTest::addColumn<QString>("length");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("prompt");
    const auto report = [](const char* key, const char* verdict) {
      return QStringLiteral("The Key Generated: %1\r\n\r\n%2")
          .arg(QString::fromUtf8(key), QString::fromUtf8(verdict));
    };
    QTest::addRow("upper case and digits, code 12")
        << "1100"
        << "12"
        << "A1C2E3G4I5K6" << kReportTitle
        << report("A1C2E3G4I5K6", "Is Medium Quality:  72 Percent");
    QTest::addRow("all three classes, code 123")
        << "1110"
        << "12"
        << "Ab1Cd2Ef3Gh4" << kReportTitle
        << report("Ab1Cd2Ef3Gh4", "Is Very Strong Quality:  100 Percent");
    QTest::addRow("upper case, code 1")
        << "1000"
        << "12"
        << "ACEGIKMOACEG" << kReportTitle << report("ACEGIKMOACEG", "Is Weak Quality:  48 Percent");
    QTest::addRow("upper and lower case, code 13")
        << "1010"
        << "12"
        << "AbCdEfGhIjKl" << kReportTitle
        << report("AbCdEfGhIjKl", "Is Medium Quality:  72 Percent");
    QTest::addRow("digits and lower case, code 23")
        << "0110"
        << "12"
        << "b1d2f3h4j5l6" << kReportTitle
        << report("b1d2f3h4j5l6", "Is Medium Quality:  72 Percent");
    QTest::addRow("digits, code 2")
        << "0100"
        << "12"
        << "123456781234" << kReportTitle << report("123456781234", "Is Weak Quality:  48 Percent");
    QTest::addRow("lower case, code 3")
        << "0010"
        << "12"
        << "bdfhjlnpbdfh" << kReportTitle << report("bdfhjlnpbdfh", "Is Weak Quality:  48 Percent");
    QTest::addRow("ASCII characters, code 66")
        << "0001"
        << "12"
        << "Ab1\u20ACCd2Ef3Gh" << kReportTitle
        << report("Ab1\u20ACCd2Ef3Gh", "Is Very Strong Quality:  100 Percent");
    const QString longest = QStringLiteral("Ab1Cd2Ef3Gh4Ij5Kl6Mn7Op8").repeated(11).left(255);
    QTest::addRow("the longest key, 255")
        << "1110"
        << "255" << longest << kReportTitle
        << "The Key Generated: " + longest + "\r\n\r\nIs Very Strong Quality:  100 Percent";
    QTest::addRow("length 0") << "1110"
                              << "0"
                              << "" << kError << kRequirements;
    QTest::addRow("length 1") << "1110"
                              << "1"
                              << "A" << kError << kRequirements;
    QTest::addRow("length 2") << "1110"
                              << "2"
                              << "Ab" << kError << kRequirements;
    QTest::addRow("length 3") << "1110"
                              << "3"
                              << "Ab1" << kReportTitle
                              << report("Ab1", "Is Weak Quality:  27 Percent");
    QTest::addRow("1.5 rounds to 2") << "1110"
                                     << "1.5"
                                     << "Ab" << kError << kRequirements;
    QTest::addRow("2.5 rounds to 2") << "1110"
                                     << " 2.5 "
                                     << "Ab" << kError << kRequirements;
    QTest::addRow("256 is no byte") << "1110"
                                    << "256"
                                    << "" << kError << kRequirements;
    QTest::addRow("-1 is no byte") << "1110"
                                   << "-1"
                                   << "" << kError << kRequirements;
    QTest::addRow("no number") << "1110"
                               << "twelve"
                               << "" << kError << kRequirements;
  }
  void generatesAKeyAndRatesIt() {
    QFETCH(QString, boxes);
    QFETCH(QString, length);
    QFETCH(QString, key);
    QFETCH(QString, title);
    QFETCH(QString, prompt);
    SetBoxes(boxes);
    Text(2)->setText(length);
    Text(1)->setText(kEarlierKey);
    Click("Command1");

    QCOMPARE(services_->random.reseeds, std::vector<float>{services_->random.time_of_day});
    QCOMPARE(services_->random.draws_before_reseed, std::vector<std::size_t>{0});
    const QString style = title == kError ? QStringLiteral("critical") : "information";
    QCOMPARE(OnlyBoxShown(), QStringList({title, prompt, style}));
    QCOMPARE(QString::fromStdString(services_->shown_boxes.front().clipboard), key);
    QCOMPARE(Text(1)->text(), key);
    QCOMPARE(Clipboard(), key);
    QCOMPARE(FocusName(), QStringLiteral("Text1"));
  }

  // Checking shows the report on the key and leaves both boxes and the clipboard empty, with the
  // focus in the box to type into.
  void checksATypedKey_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("prompt");
    QTest::addRow("medium key") << "Ab1:c" << kReportTitle
                                << "The Key Generated: Ab1:c\r\n\r\nIs Medium Quality:  68 Percent";
    QTest::addRow("spaces at its ends stay")
        << " Ab1 " << kReportTitle
        << "The Key Generated:  Ab1 \r\n\r\nIs Medium Quality:  68 Percent";
    QTest::addRow("only spaces is a key too") << "   " << kError << kRequirements;
    QTest::addRow("markup stays text")
        << "<b>x</b>" << kReportTitle
        << "The Key Generated: <b>x</b>\r\n\r\nIs Weak Quality:  48 Percent";
    // Too long for any screen, a line keeps its first and last 60 characters; characters, not
    // bytes, count. Too many lines, and the text keeps its first and last 4.
    const QString a = QStringLiteral("a");
    const QString euro = QStringLiteral("\u20AC");
    const QString strong = QStringLiteral("\r\n\r\nIs Very Strong Quality:  100 Percent");
    QTest::addRow("past Qt's usual limit of 32767")
        << QString(99'999, 'a') + 'b' << kReportTitle
        << "The Key Generated: " + a.repeated(41) + " [\u2026 99,899 characters left out \u2026] " +
               a.repeated(59) + 'b' + strong;
    QTest::addRow("1,000 characters in its line stay whole")
        << "Ab1" + euro.repeated(978) << kReportTitle
        << "The Key Generated: Ab1" + euro.repeated(978) + strong;
    QTest::addRow("1,001 characters of three bytes")
        << "Ab1" + euro.repeated(979) << kReportTitle
        << "The Key Generated: Ab1" + euro.repeated(38) +
               " [\u2026 881 characters left out \u2026] " + euro.repeated(60) + strong;
    QTest::addRow("two lines beyond 120 characters share the room")
        << QString(150, 'A') + '\n' + QString(149, 'b') + '1' << kReportTitle
        << "The Key Generated: " + QString(41, 'A') + " [\u2026 49 characters left out \u2026] " +
               QString(60, 'A') + '\n' + QString(60, 'b') +
               " [\u2026 30 characters left out \u2026] " + QString(59, 'b') + '1' + strong;
    QTest::addRow("400 line breaks")
        << "Aa1!" + QString(400, '\n') + "end" << kReportTitle
        << "The Key Generated: Aa1!\n\n\n\r\n[\u2026 395 lines left out \u2026]\r\n\nend" + strong;
    // Direction controls in a key reorder only the key: it is isolated, from U+2068 (">") to
    // U+2069 ("<"), and so is each kept end of a shortened line. "!" is U+202E, an override.
    const auto bidi = [](const QString& text) {
      return QString(text)
          .replace('!', QChar(0x202E))
          .replace('>', QChar(0x2068))
          .replace('<', QChar(0x2069));
    };
    QTest::addRow("an override stays inside the key")
        << bidi("Aa1!evil.exe") << kReportTitle
        << bidi("The Key Generated: >Aa1!evil.exe<") + strong;
    QTest::addRow("an isolate that the key closes without opening")
        << bidi("<!Ab1c") << kReportTitle
        << bidi("The Key Generated: >><!Ab1c<\r\n\r\nIs Strong Quality:  81 Percent");
    QTest::addRow("an override at the start of a long key leaves the note alone")
        << bidi("!") + a.repeated(2000) + "Z1" << kReportTitle
        << bidi(">The Key Generated: >!") + a.repeated(39) +
               bidi("<< [\u2026 1,904 characters left out \u2026] >>") + a.repeated(57) +
               bidi("Z1<<") + strong;
  }
  void checksATypedKey() {
    QFETCH(QString, key);
    QFETCH(QString, title);
    QFETCH(QString, prompt);
    Paste(Text(3), key);
    Click("cmdOK");

    const QString style = title == kError ? QStringLiteral("critical") : "information";
    QCOMPARE(OnlyBoxShown(), QStringList({title, prompt, style}));
    QCOMPARE(QString::fromStdString(services_->shown_boxes.front().clipboard), key);
    QVERIFY(services_->random.reseeds.empty());
    QCOMPARE(Text(1)->text(), QString());
    QCOMPARE(Text(3)->text(), QString());
    QCOMPARE(Clipboard(), QString());
    QCOMPARE(FocusName(), QStringLiteral("Text3"));
    QTest::keyClicks(Text(3), QStringLiteral("Ab1"));  // a long key left no hidden display
    QCOMPARE(Text(3)->displayText(), QStringLiteral("Ab1"));
  }

  void generatingWithNoBoxCheckedAsksWhetherAPasswordIsWanted() {
    SetBoxes(QStringLiteral("0000"));
    Text(1)->setText(kEarlierKey);
    Find(QStringLiteral("Command1"))->setFocus();
    Click("Command1");
    QCOMPARE(OnlyBoxShown(),
             QStringList({kError, "Are You Sure You Want A Password?? :) ", "critical"}));
    QCOMPARE(services_->random.draw_count, std::size_t{0});
    QCOMPARE(Text(1)->text(), QString());
    QCOMPARE(Clipboard(), QString());
    QCOMPARE(FocusName(), QStringLiteral("Command1"));
  }

  void checkingAnEmptyBoxSaysSoAndKeepsTheOutput() {
    Text(1)->setText(kEarlierKey);
    Find(QStringLiteral("Command1"))->setFocus();
    Click("cmdOK");
    QCOMPARE(OnlyBoxShown(),
             QStringList({"Morvane (Error)", " Can Not Check Nothing ", "critical"}));
    QCOMPARE(Text(1)->text(), kEarlierKey);
    QCOMPARE(Clipboard(), kEarlierKey);
    QCOMPARE(FocusName(), QStringLiteral("Text3"));
  }

  // However it is pasted, a long key is whole in the box but kept out of the line edit's layout
  // and undo record, which take seconds for millions of characters; a short one is pasted the
  // line edit's own way. Pasted over selected text, it takes that text's place. Either way the
  // paste is an undo step of its own, apart from what was typed before it.
  void pastesLongKeysInOneStep_data() {
    QTest::addColumn<QString>("route");
    QTest::addColumn<QString>("typed");  // the key goes where "|" stands, or over "xy" selected
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("shown");  // laid out
    for (const char* route : {"Ctrl+V", "Shift+Insert", "context menu"}) {
      QTest::addRow("%s, 10,001 characters in all", route) << route << "ab|" << 9'999 << false;
      QTest::addRow("%s, 10,000 characters in all", route) << route << "ab|" << 9'998 << true;
      QTest::addRow("%s, over a selection, 10,001 in all", route)
          << route << "<xy>" << 9'999 << false;
      QTest::addRow("%s, over a selection, 10,000 in all", route)
          << route << "<xy>" << 9'998 << true;
    }
  }
  void pastesLongKeysInOneStep() {
    QFETCH(QString, route);
    QFETCH(QString, typed);
    QFETCH(int, length);
    QFETCH(bool, shown);
    QLineEdit* box = Text(3);
    const QString marker = typed.contains('|') ? QStringLiteral("|") : QStringLiteral("xy");
    const QString before = QString(typed).remove('|');
    QTest::keyClicks(box, before);
    if (marker == QLatin1String("xy"))
      box->setSelection(static_cast<int>(typed.indexOf(marker)), 2);
    const QString key = QString(length - 1, 'k') + 'Z';
    const QString after = QString(typed).replace(marker, key);
    QGuiApplication::clipboard()->setText(key);
    if (route == QLatin1String("Ctrl+V")) QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    if (route == QLatin1String("Shift+Insert")) {
      QTest::keyClick(box, Qt::Key_Insert, Qt::ShiftModifier);
    }
    if (route == QLatin1String("context menu")) ChooseFromContextMenu(box, "Paste");
    QCOMPARE(box->text(), after);
    QCOMPARE(box->cursorPosition(), typed.indexOf(marker) + length);
    QCOMPARE(box->displayText().isEmpty(), !shown);
    QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(box->text(), before);
    QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(box->text(), after);
    QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(box->text(), after);
  }

  // Long pastes are undone and redone one at a time.
  void undoesLongPastesOneAtATime() {
    QLineEdit* box = Text(3);
    const QString key(10'001, 'k');
    QGuiApplication::clipboard()->setText(key);
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(box->text(), key);
    QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(box->text(), QString());
    QTest::keyClick(box, Qt::Key_Y, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(box->text(), key + key);
  }

  // Through a plain QLineEdit pointer too, as every caller of setText may hold one.
  void keepsALongKeySetFromCodeOutOfTheLayout() {
    QLineEdit* box = Text(1);
    box->setText(QString(20'000, 'k'));
    QCOMPARE(box->text().size(), 20'000);
    QCOMPARE(box->displayText(), QString());
    box->setText(QStringLiteral("Ab1"));
    QCOMPARE(box->displayText(), QStringLiteral("Ab1"));
  }

  // A key selected in a box sits in the primary selection until it leaves the boxes.
  void clearsTheSelectionOnceItsKeyIsGone_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("cleared");
    QTest::addRow("checking a key") << "check" << true;
    QTest::addRow("generating the next key") << "generate" << true;
    QTest::addRow("editing the key to check") << "type" << true;
    QTest::addRow("closing the window") << "close" << true;
    QTest::addRow("checking an empty box changes nothing") << "check empty" << false;
    QTest::addRow("moving the focus changes nothing") << "tab" << false;
  }
  void clearsTheSelectionOnceItsKeyIsGone() {
    QFETCH(QString, action);
    if (action != QLatin1String("check empty")) Paste(Text(3), QStringLiteral("MyBankPass9!"));
    Text(1)->setText(kEarlierKey);
    services_->selection = "MyBankPass9!";
    if (action.startsWith(QLatin1String("check"))) Click("cmdOK");
    if (action == QLatin1String("generate")) Click("Command1");
    if (action == QLatin1String("type")) QTest::keyClick(Text(3), Qt::Key_Backspace);
    if (action == QLatin1String("close")) form_->close();
    if (action == QLatin1String("tab")) QTest::keyClick(Text(3), Qt::Key_Tab);
    QTEST(services_->selection.empty(), "cleared");
  }

  void closingSlidesTheWindowOffTheScreenAndEnds() {
    morvane::testing::FakeWindowGeometry& window = services_->window;
    QVERIFY(form_->close());
    QVERIFY2(window.top > window.ScreenWidth(), qPrintable(QString::number(window.top)));
    QCOMPARE(window.left - 1500, window.top - 1500);
    QCOMPARE(services_->ends, 1);
    form_->close();  // a second request while closing changes nothing
    QCOMPARE(services_->ends, 1);
  }
};

QTEST_MAIN(Form1Test)
#include "Form1Test.moc"
