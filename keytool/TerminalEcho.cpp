#include "TerminalEcho.h"

#ifdef _WIN32
#include "WindowsConsole.h"

#include <io.h>
#include <windows.h>
#else
#include <array>
#include <cerrno>
#include <csignal>

#include <termios.h>
#include <unistd.h>
#endif

namespace morvane::keytool {

#ifdef _WIN32
namespace {

// What the console control handler needs to put the console back; one console per process.
struct SavedConsole {
  HANDLE input = INVALID_HANDLE_VALUE;
  DWORD mode = 0;
};
SavedConsole saved_console;

void RestoreConsole() {
  SetConsoleMode(saved_console.input, saved_console.mode);
}

// Ctrl+C, Ctrl+Break and closing the console end the program, but the console's settings are
// the shell's too: put them back first, then let the default handler end it.
BOOL WINAPI RestoreOnControl(DWORD /*event*/) {
  RestoreConsole();
  return FALSE;
}

}  // namespace

TerminalEchoOff::TerminalEchoOff(int descriptor) {
  const HANDLE input = HandleOf(descriptor);
  DWORD mode = 0;
  if (input == INVALID_HANDLE_VALUE || GetConsoleMode(input, &mode) == 0) return;  // no console
  if ((mode & ENABLE_ECHO_INPUT) == 0) return;  // already hidden: nothing to undo later
  saved_console = {input, mode};
  active_ = SetConsoleMode(input, mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT)) != 0;
  if (active_) SetConsoleCtrlHandler(RestoreOnControl, TRUE);
}

TerminalEchoOff::~TerminalEchoOff() {
  if (!active_) return;
  RestoreConsole();
  SetConsoleCtrlHandler(RestoreOnControl, FALSE);
}
#else
namespace {

// What a signal handler needs to put the terminal back; one terminal per process.
struct SavedTerminal {
  int descriptor = -1;
  termios settings{};
};
SavedTerminal saved_terminal;

constexpr std::array kEndingSignals{SIGINT, SIGQUIT, SIGHUP, SIGTERM};

void RestoreTerminal() {
  tcsetattr(saved_terminal.descriptor, TCSANOW, &saved_terminal.settings);
}

// Turns echo off again, keeping whatever else was changed while the program was stopped. Only in
// the foreground: a program continued in the background leaves the terminal to the shell until it
// is brought back, which continues it once more.
void HideTypingAgain() {
  const int descriptor = saved_terminal.descriptor;
  termios settings{};
  if (tcgetpgrp(descriptor) != getpgrp() || tcgetattr(descriptor, &settings) != 0) return;
  settings.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  tcsetattr(descriptor, TCSANOW, &settings);
}

using Handler = void (*)(int);

void SetHandler(int signal_number, Handler handler) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(signal_number, &action, nullptr);
}

Handler CurrentHandler(int signal_number) {
  struct sigaction current {};
  sigaction(signal_number, nullptr, &current);
  return current.sa_handler;
}

// Puts the terminal back, then lets the signal end the program as it would have.
extern "C" void RestoreAndRaise(int signal_number) {
  RestoreTerminal();
  std::signal(signal_number, SIG_DFL);
  std::raise(signal_number);
}

// Ctrl+Z: puts the terminal back for the shell and stops as the signal would have; once
// continued, hides typing again. (Where the kernel ignores the stop, as for a program whose shell
// has gone, it goes straight on.)
extern "C" void RestoreAndStop(int signal_number) {
  const int saved_errno = errno;
  RestoreTerminal();
  SetHandler(signal_number, SIG_DFL);
  sigset_t this_signal;
  sigemptyset(&this_signal);
  sigaddset(&this_signal, signal_number);
  sigprocmask(SIG_UNBLOCK, &this_signal, nullptr);
  kill(getpid(), signal_number);  // stopped here until continued
  SetHandler(signal_number, RestoreAndStop);
  HideTypingAgain();
  errno = saved_errno;
}

// Continued after a stop that cannot be caught: a shell that took the terminal back in between
// has turned echo on again.
extern "C" void HideAgainOnContinue(int /*signal_number*/) {
  const int saved_errno = errno;
  HideTypingAgain();
  errno = saved_errno;
}

}  // namespace

TerminalEchoOff::TerminalEchoOff(int descriptor) {
  termios settings{};
  if (isatty(descriptor) == 0 || tcgetattr(descriptor, &settings) != 0) return;
  if ((settings.c_lflag & ECHO) == 0) return;  // already hidden: nothing to undo later
  saved_terminal = {descriptor, settings};
  // A signal ignored at start stays ignored, as the caller wanted (a shell without job control
  // ignores Ctrl+Z for its programs).
  for (const int signal_number : kEndingSignals) {
    if (CurrentHandler(signal_number) != SIG_IGN) std::signal(signal_number, RestoreAndRaise);
  }
  if (CurrentHandler(SIGTSTP) != SIG_IGN) SetHandler(SIGTSTP, RestoreAndStop);
  SetHandler(SIGCONT, HideAgainOnContinue);
  settings.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  // TCSANOW, not TCSAFLUSH: keys typed ahead must not be lost.
  active_ = tcsetattr(descriptor, TCSANOW, &settings) == 0;
}

TerminalEchoOff::~TerminalEchoOff() {
  if (!active_) return;
  // Signals wait until the terminal is back and the handlers are gone, so that none finds one
  // without the other.
  sigset_t every_signal;
  sigset_t previous;
  sigfillset(&every_signal);
  sigprocmask(SIG_BLOCK, &every_signal, &previous);
  RestoreTerminal();
  for (const int signal_number : kEndingSignals) {
    if (CurrentHandler(signal_number) == RestoreAndRaise) std::signal(signal_number, SIG_DFL);
  }
  if (CurrentHandler(SIGTSTP) == RestoreAndStop) SetHandler(SIGTSTP, SIG_DFL);
  SetHandler(SIGCONT, SIG_DFL);
  sigprocmask(SIG_SETMASK, &previous, nullptr);
}
#endif

}  // namespace morvane::keytool
