#include "TerminalEcho.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <array>
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
  const intptr_t handle = _get_osfhandle(descriptor);
  const auto input = reinterpret_cast<HANDLE>(handle);  // NOLINT(performance-no-int-to-ptr)
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

// Puts the terminal back, then lets the signal end the program as it would have.
extern "C" void RestoreAndRaise(int signal_number) {
  RestoreTerminal();
  std::signal(signal_number, SIG_DFL);
  std::raise(signal_number);
}

}  // namespace

TerminalEchoOff::TerminalEchoOff(int descriptor) {
  termios settings{};
  if (isatty(descriptor) == 0 || tcgetattr(descriptor, &settings) != 0) return;
  if ((settings.c_lflag & ECHO) == 0) return;  // already hidden: nothing to undo later
  saved_terminal = {descriptor, settings};
  for (const int signal_number : kEndingSignals) {
    // A signal ignored at start stays ignored, as the caller wanted.
    struct sigaction previous {};
    sigaction(signal_number, nullptr, &previous);
    if (previous.sa_handler == SIG_IGN) continue;
    std::signal(signal_number, RestoreAndRaise);
  }
  settings.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  // TCSANOW, not TCSAFLUSH: keys typed ahead must not be lost.
  active_ = tcsetattr(descriptor, TCSANOW, &settings) == 0;
}

TerminalEchoOff::~TerminalEchoOff() {
  if (!active_) return;
  RestoreTerminal();
  for (const int signal_number : kEndingSignals) {
    struct sigaction current {};
    sigaction(signal_number, nullptr, &current);
    if (current.sa_handler == RestoreAndRaise) std::signal(signal_number, SIG_DFL);
  }
}
#endif

}  // namespace morvane::keytool
