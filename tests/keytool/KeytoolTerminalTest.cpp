// morvane-keytool reading keys typed at a terminal: a pseudo-terminal stands in for the user's.
#include <QByteArray>
#include <QDeadlineTimer>
#include <QTest>

#include <csignal>
#include <cstdlib>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace {

class TerminalSession {
 public:
  // Runs `arguments` (a program and its arguments) at a terminal of its own. By hand rather than
  // with forkpty, whose way of opening the terminal valgrind does not know.
  explicit TerminalSession(const QList<QByteArray>& arguments)
      : terminal_(posix_openpt(O_RDWR | O_NOCTTY)) {
    if (terminal_ < 0 || grantpt(terminal_) != 0 || unlockpt(terminal_) != 0) return;
    const QByteArray name = ptsname(terminal_);
    std::vector<char*> argv;
    for (const QByteArray& argument : arguments) argv.push_back(const_cast<char*>(argument.data()));
    argv.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
      // A session of its own, whose controlling terminal is the one opened first.
      setsid();
      close(terminal_);
      const int user_terminal = open(name.constData(), O_RDWR);
      for (int stream = 0; stream < 3; ++stream) dup2(user_terminal, stream);
      if (user_terminal > 2) close(user_terminal);
      const rlimit no_core_dump{0, 0};  // Ctrl+\ would leave one
      setrlimit(RLIMIT_CORE, &no_core_dump);
      execv(argv[0], argv.data());
      _exit(127);
    }
  }
  ~TerminalSession() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (terminal_ >= 0) close(terminal_);
  }
  TerminalSession(const TerminalSession&) = delete;
  TerminalSession& operator=(const TerminalSession&) = delete;
  TerminalSession(TerminalSession&&) = delete;
  TerminalSession& operator=(TerminalSession&&) = delete;

  bool started() const { return pid_ > 0; }

  bool Echoes() const {
    termios settings{};
    return tcgetattr(terminal_, &settings) == 0 && (settings.c_lflag & ECHO) != 0;
  }

  // As a shell does when it takes the terminal back from a stopped program.
  void TurnEchoOn() const {
    termios settings{};
    tcgetattr(terminal_, &settings);
    settings.c_lflag |= ECHO;
    tcsetattr(terminal_, TCSANOW, &settings);
  }

  // As a person would: waits until the prompt would be shown, that is, until echo is off.
  bool WaitForEchoOff() const {
    const QDeadlineTimer deadline(30000);
    while (Echoes()) {
      if (deadline.hasExpired()) return false;
      QTest::qSleep(10);
    }
    return true;
  }

  void Type(const QByteArray& keys) const {
    QCOMPARE(write(terminal_, keys.constData(), static_cast<std::size_t>(keys.size())),
             static_cast<ssize_t>(keys.size()));
  }

  void Signal(int signal_number) const { kill(pid_, signal_number); }

  // What the terminal showed until `expected` appeared `times` times, or until the time ran out.
  QByteArray ReadUntil(const QByteArray& expected, qsizetype times = 1) {
    const QDeadlineTimer deadline(30000);
    while (shown_.count(expected) < times && !deadline.hasExpired()) ReadSome(100);
    return shown_;
  }

  // The wait status, once the tool has ended (or, when told, stopped).
  int Wait(int options = 0) {
    const QDeadlineTimer deadline(30000);
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG | options) == 0) {
      if (deadline.hasExpired()) return -1;
      ReadSome(10);  // keeps the tool from blocking on a full terminal
    }
    exited_ = !WIFSTOPPED(status);
    return status;
  }

 private:
  void ReadSome(int milliseconds) {
    pollfd ready{terminal_, POLLIN, 0};
    if (poll(&ready, 1, milliseconds) <= 0 || (ready.revents & POLLIN) == 0) return;
    char bytes[256];  // NOLINT(modernize-avoid-c-arrays)
    const ssize_t count = read(terminal_, bytes, sizeof bytes);
    if (count > 0) shown_.append(bytes, count);
  }

  int terminal_;
  pid_t pid_ = -1;
  bool exited_ = false;
  QByteArray shown_;
};

}  // namespace

// How a row pauses the tool after its first answer: not at all; Ctrl+Z, and `fg` in a shell with
// job control; or a stop that cannot be caught, echo turned on as a shell does, and continued.
enum class Pause { None, CtrlZThenFg, StopThenContinue };
Q_DECLARE_METATYPE(Pause)

class KeytoolTerminalTest : public QObject {
  Q_OBJECT

 private slots:
  void hidesTypedKeys_data();
  void hidesTypedKeys();
  void escapesGeneratedControls();
};

void KeytoolTerminalTest::hidesTypedKeys_data() {
  QTest::addColumn<QByteArray>("command");
  QTest::addColumn<QByteArray>("key");  // typed, then Enter; again after a pause
  QTest::addColumn<QByteArray>("answer");
  QTest::addColumn<Pause>("pause");
  // How the session ends: typed at the terminal, or a signal sent to the tool.
  QTest::addColumn<QByteArray>("typed");
  QTest::addColumn<int>("sent");
  QTest::addColumn<int>("exit_code");  // or the signal that ended the tool, when it is one
  QTest::addColumn<int>("signal_number");

  // The terminal turns LF into CR LF on the way out.
  const auto row = [](const char* name, const char* command, const QByteArray& key,
                      const QByteArray& answer, const QByteArray& typed, int sent, int exit_code,
                      int signal_number = 0, Pause pause = Pause::None) {
    QTest::addRow("%s", name) << QByteArray(command) << key << answer << pause << typed << sent
                              << exit_code << signal_number;
  };
  row("score, Ctrl+D", "score", "hunter2", "42\r\n", "\x04", 0, 0);
  row("report, Ctrl+D", "report", "hu", "Error\r\nThe Key Does Not Meet The Requirements!\r\n",
      "\x04", 0, 0);
  row("score, Ctrl+C", "score", "hunter2", "42\r\n", "\x03", 0, 0, SIGINT);
  row("report, Ctrl+C", "report", "hu", "Requirements!\r\n", "\x03", 0, 0, SIGINT);
  row("score, Ctrl+\\", "score", "hunter2", "42\r\n", "\x1c", 0, 0, SIGQUIT);
  row("score, terminated", "score", "hunter2", "42\r\n", "", SIGTERM, 0, SIGTERM);
  row("score, hung up", "score", "hunter2", "42\r\n", "", SIGHUP, 0, SIGHUP);
  row("score, a line that is not UTF-8", "score", "hunter2", "42\r\n", "caf\xe9\n", 0, 2);
  row("score, Ctrl+Z and fg", "score", "hunter2", "42\r\n", "\x04", 0, 0, 0, Pause::CtrlZThenFg);
  row("report, stopped and continued", "report", "hu", "Requirements!\r\n", "\x03", 0, 0, SIGINT,
      Pause::StopThenContinue);
}

void KeytoolTerminalTest::hidesTypedKeys() {
  QFETCH(QByteArray, command);
  QFETCH(QByteArray, key);
  QFETCH(QByteArray, answer);
  QFETCH(Pause, pause);
  QFETCH(QByteArray, typed);
  QFETCH(int, sent);
  QFETCH(int, exit_code);
  QFETCH(int, signal_number);

  // Ctrl+Z stops a program only under a shell with job control; the shell says when it has the
  // terminal back, and waits for a line before it continues the tool.
  const QByteArray tool = MORVANE_KEYTOOL_PATH;
  TerminalSession session(
      pause == Pause::CtrlZThenFg
          ? QList<QByteArray>{"/bin/bash", "--norc", "--noprofile", "-c",
                              R"(set -m; "$0" "$1"; echo "stopped $?"; read -r _; fg)", tool,
                              command}
          : QList<QByteArray>{tool, command});
  QVERIFY(session.started());
  QVERIFY2(session.WaitForEchoOff(), "the terminal still echoes what is typed");
  session.Type(key + '\n');
  QByteArray shown = session.ReadUntil(answer);
  QVERIFY2(shown.contains(answer), shown.constData());

  if (pause == Pause::CtrlZThenFg) {
    session.Type("\x1a");
    shown = session.ReadUntil("stopped 148");
    QVERIFY2(shown.contains("stopped 148"), shown.constData());
    QVERIFY2(session.Echoes(), "the terminal was left without echo while the tool was stopped");
    session.Type("\n");
  } else if (pause == Pause::StopThenContinue) {
    session.Signal(SIGSTOP);
    QVERIFY(WIFSTOPPED(session.Wait(WUNTRACED)));
    session.TurnEchoOn();
    session.Signal(SIGCONT);
  }
  if (pause != Pause::None) {
    QVERIFY2(session.WaitForEchoOff(), "the terminal echoes what is typed after the pause");
    session.Type(key + '\n');
    shown = session.ReadUntil(answer, 2);
    QVERIFY2(shown.count(answer) == 2, shown.constData());
  }
  QVERIFY2(!shown.contains(key), shown.constData());

  session.Type(typed);
  if (sent != 0) session.Signal(sent);
  const int status = session.Wait();
  if (signal_number != 0) {
    QVERIFY2(WIFSIGNALED(status) && WTERMSIG(status) == signal_number,
             qPrintable(QString::number(status)));
  } else {
    QVERIFY2(WIFEXITED(status) && WEXITSTATUS(status) == exit_code,
             qPrintable(QString::number(status)));
  }
  QVERIFY2(session.Echoes(), "the terminal was left without echo");
}

// Keys of the wide set at a terminal: no control character reaches it raw (C0 but the line
// break, DEL, C1), and one line says how to get them exact.
void KeytoolTerminalTest::escapesGeneratedControls() {
  TerminalSession session(
      {MORVANE_KEYTOOL_PATH, "generate", "--classes=66", "--length=255", "--count=20"});
  QVERIFY(session.started());
  const int status = session.Wait();
  QVERIFY2(WIFEXITED(status) && WEXITSTATUS(status) == 0, qPrintable(QString::number(status)));
  const QByteArray shown = session.ReadUntil("exact\r\n");
  QVERIFY2(shown.endsWith("\r\nmorvane-keytool: keys with control characters are shown with "
                          "escapes (\\x1f, \\u0081, \\\\ for a backslash); write them to a "
                          "pipe or a file to get them exact\r\n"),
           shown.right(300).constData());
  QVERIFY(shown.contains("\\x1f") && shown.contains("\\x7f"));
  for (qsizetype at = 0; at < shown.size(); ++at) {
    const auto byte = static_cast<unsigned char>(shown[at]);
    const auto next = at + 1 < shown.size() ? static_cast<unsigned char>(shown[at + 1]) : 0U;
    const bool c1 = byte == 0xC2U && next >= 0x80U && next <= 0x9FU;
    QVERIFY2(!((byte < 0x20U && byte != '\r' && byte != '\n') || byte == 0x7FU || c1),
             qPrintable(QString::number(at)));
  }
}

QTEST_GUILESS_MAIN(KeytoolTerminalTest)
#include "KeytoolTerminalTest.moc"
