#pragma once

#include <QtGlobal>

namespace morvane {

// Turns Qt's report of a window system that it cannot reach into one line on standard error
// and exit status 1.
//
// Qt says so in a few warnings followed by a fatal message that aborts the program (status 134)
// and advises reinstalling it. While this object is waiting, Qt's messages are held back; a fatal
// one prints a line that names what is missing instead and exits with 1. Started() passes on
// what was held back and gives the messages back to Qt.
class StartFailureGuard {
 public:
  StartFailureGuard();
  ~StartFailureGuard();
  StartFailureGuard(const StartFailureGuard&) = delete;
  StartFailureGuard& operator=(const StartFailureGuard&) = delete;
  StartFailureGuard(StartFailureGuard&&) = delete;
  StartFailureGuard& operator=(StartFailureGuard&&) = delete;

  // The main window exists: the window system was reached and took it.
  void Started();

 private:
  QtMessageHandler qt_handler_ = nullptr;
  bool waiting_ = true;
};

}  // namespace morvane
