#include "QtPlatformServices.h"
#include "QualityReport.h"
#include "ReportBoxText.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <initializer_list>

using morvane::MessageBoxStyle;

Q_DECLARE_METATYPE(MessageBoxStyle)

namespace {

struct SeenBox {
  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  Qt::TextFormat format = Qt::AutoText;
  QSize size;  // with the window frame
};

// Shows a box through the real service and notes what its label showed before answering it. The
// box is looked for as the active modal widget, so one that is not modal is never answered.
SeenBox ShowAndAnswer(MessageBoxStyle style, const QString& prompt, const QString& title) {
  SeenBox seen;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    const auto* label = box ? box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label")) : nullptr;
    if (label == nullptr) return;
    seen = {box->windowTitle(), label->text(), box->icon(), label->textFormat(),
            box->frameGeometry().size()};
    QTest::keyClick(box, Qt::Key_Return);
  });
  poll.start(10);
  morvane::QtPlatformServices().ShowMessageBox(style, prompt.toStdString(), title.toStdString());
  return seen;
}

const QString kReportTitle = QStringLiteral("Password Quality ");

}  // namespace

class QtPlatformServicesTest : public QObject {
  Q_OBJECT

 private slots:
  void showsMessagesAsPlainText_data() {
    QTest::addColumn<MessageBoxStyle>("style");
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QMessageBox::Icon>("icon");
    QTest::addRow("error with edge spaces")
        << MessageBoxStyle::Critical << " Can Not Check Nothing "
        << "Morvane (Error)" << QMessageBox::Critical;
    QTest::addRow("report on a key of markup and non-ASCII characters")
        << MessageBoxStyle::Information
        << QStringLiteral(
               "The Key Generated: <b>x</b><img src=\"y\">\u00C8\u20AC\U0001F511\r\n\r\n"
               "Is Very Strong Quality:  100 Percent")
        << QStringLiteral("Password Quality ") << QMessageBox::Information;
  }
  void showsMessagesAsPlainText() {
    QFETCH(MessageBoxStyle, style);
    QFETCH(QString, prompt);
    QFETCH(QString, title);
    const SeenBox seen = ShowAndAnswer(style, prompt, title);
    QCOMPARE(seen.title, title);
    QCOMPARE(seen.text, prompt);
    QCOMPARE(seen.format, Qt::PlainText);
    QTEST(seen.icon, "icon");
  }

  // However long or many-lined a key, its report, shortened for display, fits the screen.
  void reportBoxFitsTheScreen_data() {
    QTest::addColumn<QString>("key");
    const QString words = QStringLiteral("Ab1 cd2 ");
    QTest::addRow("400 line breaks") << "Aa1!" + QString(400, '\n') + "end";
    QTest::addRow("a line of 1,000 characters and six of 120, all shown")
        << words.repeated(122) + "Ab1 c" + ('\n' + words.repeated(15)).repeated(6);
    QString nine_long_lines;
    for (int line = 1; line <= 9; ++line)
      nine_long_lines += words.repeated(1250) + QString::number(line) + '\n';
    QTest::addRow("nine lines of 10,000 characters") << nine_long_lines;
  }
  void reportBoxFitsTheScreen() {
    QFETCH(QString, key);
    const std::string prompt =
        morvane::ShortenedForDisplay(morvane::MakeQualityReport(key.toStdString()).prompt);
    const SeenBox seen =
        ShowAndAnswer(MessageBoxStyle::Information, QString::fromStdString(prompt), kReportTitle);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY2(seen.size.height() <= screen.height() && seen.size.width() <= screen.width(),
             qPrintable(QStringLiteral("%1 x %2").arg(seen.size.width()).arg(seen.size.height())));
  }

  void putsTextOnTheClipboardMarkedSecret() {
    morvane::QtPlatformServices services;
    services.SetClipboardText("Ab1 \xe2\x82\xac<b>");
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    QCOMPARE(data->text(), QStringLiteral("Ab1 \u20AC<b>"));
#if defined(Q_OS_WIN)
    // As Windows clipboard formats of these names, DWORD 0: not in history, not to the cloud.
    for (const char* format : {"ExcludeClipboardContentFromMonitorProcessing",
                               "CanIncludeInClipboardHistory", "CanUploadToCloudClipboard"}) {
      QCOMPARE(data->data(QLatin1String(format)), QByteArray(4, '\0'));
    }
#elif !defined(Q_OS_MACOS)
    QCOMPARE(data->data(QStringLiteral("x-kde-passwordManagerHint")), QByteArray("secret"));
#endif
    services.SetClipboardText("");
    QCOMPARE(QGuiApplication::clipboard()->text(), QString());
  }

  void movesAndResizesTheMainWindowInTwips() {
    morvane::QtPlatformServices services;
    morvane::WindowGeometry& geometry = services.MainWindowGeometry();
    // No window yet: nothing to move or resize.
    QVERIFY(!geometry.SetTop(150));
    QVERIFY(!geometry.SetLeft(150));
    QVERIFY(!geometry.SetWidth(150));
    QVERIFY(!geometry.SetHeight(150));
    QCOMPARE(geometry.Top(), 0.0F);

    QWidget window;
    window.setGeometry(100, 120, 300, 200);
    services.SetMainWindow(window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QRect before = window.frameGeometry();  // with the platform's frame
    QCOMPARE(geometry.Top(), static_cast<float>(before.top() * 15));
    QVERIFY(geometry.SetTop(geometry.Top() + 30));
    QVERIFY(geometry.SetLeft(geometry.Left() + 30));
    QVERIFY(geometry.SetWidth(geometry.Width() - 60));
    QVERIFY(geometry.SetHeight(geometry.Height() - 60));
    geometry.ShowChanges();
    QCOMPARE(window.frameGeometry(), before.adjusted(2, 2, -2, -2));
    QCOMPARE(geometry.Left(), static_cast<float>((before.left() + 2) * 15));
    QCOMPARE(geometry.ScreenWidth(), static_cast<float>(window.screen()->geometry().width() * 15));
  }

  // The window system places a minimised, maximised or full-screen window itself, so the closing
  // animation must hear that a move was refused, or it would run until its time is up.
  void movesOnlyAWindowInItsNormalState_data() {
    QTest::addColumn<Qt::WindowState>("state");
    QTest::addColumn<bool>("moves");
    QTest::addRow("normal") << Qt::WindowNoState << true;
    QTest::addRow("minimised") << Qt::WindowMinimized << false;
    QTest::addRow("maximised") << Qt::WindowMaximized << false;
    QTest::addRow("full screen") << Qt::WindowFullScreen << false;
  }
  void movesOnlyAWindowInItsNormalState() {
    QFETCH(Qt::WindowState, state);
    QFETCH(bool, moves);
    morvane::QtPlatformServices services;
    morvane::WindowGeometry& geometry = services.MainWindowGeometry();
    QWidget window;
    window.setGeometry(100, 120, 300, 200);
    services.SetMainWindow(window);
    window.setWindowState(state);
    window.show();
    QCOMPARE(geometry.SetTop(geometry.Top() + 30), moves);
    QCOMPARE(geometry.SetLeft(geometry.Left() + 30), moves);
  }

  // A window of no width or height would vanish before the closing animation ends.
  void stopsAtTheSmallestSizeThatShows_data() {
    QTest::addColumn<float>("width");
    QTest::addColumn<float>("height");
    QTest::addColumn<QSize>("size");
    QTest::addRow("zero") << 0.0F << 0.0F << QSize(1, 1);
    QTest::addRow("below zero") << -600.0F << -15.0F << QSize(1, 1);
    QTest::addRow("one pixel") << 15.0F << 15.0F << QSize(1, 1);
    QTest::addRow("width only") << 0.0F << 1500.0F << QSize(1, 100);
  }
  void stopsAtTheSmallestSizeThatShows() {
    QFETCH(float, width);
    QFETCH(float, height);
    QFETCH(QSize, size);
    morvane::QtPlatformServices services;
    morvane::WindowGeometry& geometry = services.MainWindowGeometry();
    QWidget window;
    window.setGeometry(100, 120, 300, 200);
    services.SetMainWindow(window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QSize frame = window.frameGeometry().size() - window.size();
    QVERIFY(geometry.SetWidth(width + static_cast<float>(frame.width() * 15)));
    QVERIFY(geometry.SetHeight(height + static_cast<float>(frame.height() * 15)));
    geometry.ShowChanges();
    QCOMPARE(window.size(), size);
    QVERIFY(window.isVisible());
    QCOMPARE(geometry.Width(), static_cast<float>((size.width() + frame.width()) * 15));
    QVERIFY(!geometry.SetWidth(0));  // no smaller
  }
};

QTEST_MAIN(QtPlatformServicesTest)
#include "QtPlatformServicesTest.moc"
