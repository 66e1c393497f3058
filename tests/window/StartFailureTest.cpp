// The real program started where no window can be shown.
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class StartFailureTest : public QObject {
  Q_OBJECT

 private slots:
  void saysWhatIsMissingInOneLine_data() {
    QTest::addColumn<QString>("display");   // "-" leaves DISPLAY unset
    QTest::addColumn<QString>("platform");  // QT_QPA_PLATFORM; empty leaves it unset
    QTest::addColumn<QString>("wayland");   // WAYLAND_DISPLAY; empty leaves it unset
    QTest::addColumn<QString>("line");
    QTest::addRow("no DISPLAY") << "-"
                                << ""
                                << ""
                                << "no X display to show the window on: DISPLAY is not set";
    QTest::addRow("a display that does not exist") << ":9999"
                                                   << "xcb"
                                                   << ""
                                                   << "cannot open the X display \":9999\"";
    QTest::addRow("a missing platform plugin")
        << ":9999"
        << "nosuch"
        << ""
        << "the Qt platform plugin \"nosuch\" is not installed";
    // Without WAYLAND_DISPLAY, Qt looks for the display that compositors take first.
    QTest::addRow("Wayland, no WAYLAND_DISPLAY") << "-"
                                                 << "wayland"
                                                 << ""
                                                 << "cannot open the Wayland display \"wayland-0\"";
    QTest::addRow("a Wayland display that does not exist")
        << "-"
        << "wayland"
        << "nosuch"
        << "cannot open the Wayland display \"nosuch\"";
    // Four messages, the last of them fatal once the window is made, and nothing known in them.
    QTest::addRow("an unknown failure of several lines")
        << "-"
        << "linuxfb:fb=/nonexistent"
        << ""
        << "no window system to show the window on (Cannot create window: no screens available)";
  }
  void saysWhatIsMissingInOneLine() {
    QFETCH(QString, display);
    QFETCH(QString, platform);
    QFETCH(QString, wayland);
    QFETCH(QString, line);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
      environment.remove(QString::fromLatin1(name));
    }
    // A runtime folder of its own holds no compositor's socket, whatever desktop runs the test.
    const QTemporaryDir runtime;
    QVERIFY(runtime.isValid());
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    if (display != QLatin1String("-")) environment.insert(QStringLiteral("DISPLAY"), display);
    if (!wayland.isEmpty()) environment.insert(QStringLiteral("WAYLAND_DISPLAY"), wayland);
    if (!platform.isEmpty()) environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(MORVANE_WINDOW_PROGRAM_PATH), {});
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 1);
    QCOMPARE(QString::fromLocal8Bit(program.readAllStandardError()),
             "Morvane&Generator: " + line + "\n");
  }
};

QTEST_APPLESS_MAIN(StartFailureTest)
#include "StartFailureTest.moc"
