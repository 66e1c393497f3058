#include "QtPlatformServices.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

using morvane::MessageBoxStyle;

Q_DECLARE_METATYPE(MessageBoxStyle)

namespace {

struct SeenBox {
  QString title;
  QString text;
  Qt::TextFormat format = Qt::AutoText;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  Qt::TextFormat label_format = Qt::AutoText;
  bool modal = false;
};

// Shows a box through the real service and notes what it looked like before answering it.
SeenBox ShowAndAnswer(MessageBoxStyle style, const QString& prompt, const QString& title) {
  SeenBox seen;
  QTimer poll;
  poll.setInterval(10);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    seen = {box->windowTitle(),     box->text(),  box->textFormat(), box->icon(),
            box->standardButtons(), Qt::AutoText, box->isModal()};
    if (const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
      seen.label_format = label->textFormat();
    }
    QTest::keyClick(box, Qt::Key_Return);
  });
  poll.start();
  morvane::QtPlatformServices services;
  services.ShowMessageBox(style, prompt.toStdString(), title.toStdString());
  return seen;
}

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
    QTest::addRow("report with a trailing space in the title")
        << MessageBoxStyle::Information
        << "The Key Generated: Ab1:c\r\n\r\nIs Medium Quality:  68 Percent"
        << "Password Quality " << QMessageBox::Information;
    QTest::addRow("markup key") << MessageBoxStyle::Information
                                << "The Key Generated: <b>x</b><img src=\"y\">"
                                << "Password Quality " << QMessageBox::Information;
    QTest::addRow("non-ASCII key") << MessageBoxStyle::Information
                                   << QStringLiteral("The Key Generated: \u00C8\u20AC\U0001F511")
                                   << "Password Quality " << QMessageBox::Information;
  }
  void showsMessagesAsPlainText() {
    QFETCH(MessageBoxStyle, style);
    QFETCH(QString, prompt);
    QFETCH(QString, title);
    const SeenBox seen = ShowAndAnswer(style, prompt, title);
    QCOMPARE(seen.title, title);
    QCOMPARE(seen.text, prompt);
    QCOMPARE(seen.format, Qt::PlainText);
    QCOMPARE(seen.label_format, Qt::PlainText);
    QTEST(seen.icon, "icon");
    QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(seen.modal);
  }

  // A line too long for any screen keeps its two ends and says how much was left out.
  void shortensOverlongLinesForDisplay() {
    const QString key = QString(500, QLatin1Char('x')) + QString(1'000'000, QLatin1Char('y')) +
                        QString(500, QLatin1Char('z'));
    const QString verdict = QStringLiteral("Is Very Strong Quality:  100 Percent");
    const SeenBox seen = ShowAndAnswer(MessageBoxStyle::Information,
                                       "The Key Generated: " + key + "\r\n\r\n" + verdict,
                                       QStringLiteral("Password Quality "));
    const QStringList lines = seen.text.split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines[0].startsWith(QStringLiteral("The Key Generated: xxx")));
    QVERIFY(lines[0].endsWith(QStringLiteral("zzz")));
    QVERIFY(lines[0].contains(QStringLiteral("characters left out")));
    QVERIFY(lines[0].size() < 1000);
    QCOMPARE(lines[1], QString());
    QCOMPARE(lines[2], verdict);
  }

  void putsSecretTextOnTheClipboard_data() {
    QTest::addColumn<QString>("text");
    QTest::addRow("key") << "Ab1:c<b>";
    QTest::addRow("empty") << "";
    QTest::addRow("non-ASCII") << QStringLiteral("\u00C8\u20AC\U0001F511");
  }
  void putsSecretTextOnTheClipboard() {
    QFETCH(QString, text);
    QGuiApplication::clipboard()->setText(QStringLiteral("old"));
    morvane::PutSecretTextOnClipboard(text);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data);
    QCOMPARE(data->text(), text);
    QCOMPARE(data->data(QStringLiteral("x-kde-passwordManagerHint")), QByteArray("secret"));
  }

  void convertsWindowGeometryToTwips() {
    QWidget window;
    window.setGeometry(100, 200, 345, 211);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    morvane::QtWindowGeometry geometry(window);
    const QRect frame = window.frameGeometry();

    QCOMPARE(geometry.Top(), static_cast<float>(frame.top() * 15));
    QCOMPARE(geometry.Left(), static_cast<float>(frame.left() * 15));
    QCOMPARE(geometry.Width(), static_cast<float>(frame.width() * 15));
    QCOMPARE(geometry.ScreenWidth(), static_cast<float>(window.screen()->geometry().width() * 15));

    geometry.SetTop(geometry.Top() + 30);
    geometry.SetLeft(geometry.Left() + 30);
    geometry.SetWidth(geometry.Width() - 60);
    geometry.SetHeight(geometry.Height() - 60);
    QCOMPARE(window.frameGeometry(), frame.adjusted(2, 2, -2, -2));

    geometry.SetWidth(-600);  // a size below zero stops at zero
    QCOMPARE(window.width(), 0);
  }
};

QTEST_MAIN(QtPlatformServicesTest)
#include "QtPlatformServicesTest.moc"
