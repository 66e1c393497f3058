// morvane-keytool reading keys typed at a terminal: a pseudo-terminal stands in for the user's.
#include <QByteArray>
#include <QDeadlineTimer>
#include <QTest>

#include <csignal>
#include <cstdlib>

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace {

class TerminalSession {
 public:
  // By hand rather than with forkpty, whose way of opening the terminal valgrind does not know.
  explicit TerminalSession(const char* command) : terminal_(posix_openpt(O_RDWR | O_NOCTTY)) {
    if (terminal_ < 0 || grantpt(terminal_) != 0 || unlockpt(terminal_) != 0) return;
    const QByteArray name = ptsname(terminal_);
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
      execl(MORVANE_KEYTOOL_PATH, MORVANE_KEYTOOL_PATH, command, static_cast<char*>(nullptr));
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

  // What the terminal showed until `expected` appeared, or until the time ran out.
  QByteArray ReadUntil(const QByteArray& expected) {
    const QDeadlineTimer deadline(30000);
    while (!shown_.contains(expected) && !deadline.hasExpired()) ReadSome(100);
    return shown_;
  }

  // The wait status, once the tool has ended.
  int Wait() {
    const QDeadlineTimer deadline(30000);
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
      if (deadline.hasExpired()) return -1;
      ReadSome(10);  // keeps the tool from blocking on a full terminal
    }
    exited_ = true;
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

class KeytoolTerminalTest : public QObject {
  Q_OBJECT

 private slots:
  void hidesTypedKeys_data();
  void hidesTypedKeys();
};

void KeytoolTerminalTest::hidesTypedKeys_data() {
  QTest::addColumn<QByteArray>("command");
  QTest::addColumn<QByteArray>("key");  // typed, then Enter
  QTest::addColumn<QByteArray>("answer");
  // How the session ends: typed at the terminal, or a signal sent to the tool.
  QTest::addColumn<QByteArray>("typed");
  QTest::addColumn<int>("sent");
  QTest::addColumn<int>("exit_code");  // or the signal that ended the tool, when it is one
  QTest::addColumn<int>("signal_number");

  // The terminal turns LF into CR LF on the way out.
  const auto row = [](const char* name, const char* command, const QByteArray& key,
                      const QByteArray& answer, const QByteArray& typed, int sent, int exit_code,
                      int signal_number = 0) {
    QTest::addRow("%s", name) << QByteArray(command) << key << answer << typed << sent << exit_code
                              << signal_number;
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
}

void KeytoolTerminalTest::hidesTypedKeys() {
  QFETCH(QByteArray, command);
  QFETCH(QByteArray, key);
  QFETCH(QByteArray, answer);
  QFETCH(QByteArray, typed);
  QFETCH(int, sent);
  QFETCH(int, exit_code);
  QFETCH(int, signal_number);

  TerminalSession session(command.constData());
  QVERIFY(session.started());
  QVERIFY2(session.WaitForEchoOff(), "the terminal still echoes what is typed");
  session.Type(key + '\n');
  const QByteArray shown = session.ReadUntil(answer);
  QVERIFY2(shown.contains(answer), shown.constData());
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

QTEST_GUILESS_MAIN(KeytoolTerminalTest)
#include "KeytoolTerminalTest.moc"
