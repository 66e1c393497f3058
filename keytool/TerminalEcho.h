#pragma once

namespace morvane::keytool {

// Keeps keys typed at a terminal off the screen, as password prompts do: while it lives, a
// terminal on `descriptor` does not echo what is typed. The terminal's settings come back when it
// goes, and also when the program is ended by Ctrl+C, Ctrl+\, a hang-up or a termination signal
// (on Windows: Ctrl+C, Ctrl+Break or the console closing). Stopped by Ctrl+Z, the program gives
// the shell its terminal back as it was; continued, it turns echo off again, also after a stop it
// could not catch. Does nothing when the descriptor is no terminal or console.
class TerminalEchoOff {
 public:
  explicit TerminalEchoOff(int descriptor);
  ~TerminalEchoOff();
  TerminalEchoOff(const TerminalEchoOff&) = delete;
  TerminalEchoOff(TerminalEchoOff&&) = delete;
  TerminalEchoOff& operator=(const TerminalEchoOff&) = delete;
  TerminalEchoOff& operator=(TerminalEchoOff&&) = delete;

 private:
  bool active_ = false;
};

}  // namespace morvane::keytool
