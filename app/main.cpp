// Start-up: creates the main window and hands over to the event loop.
#include "Form1.h"
#include "MorvaneVersion.h"
#include "ProtectProcess.h"
#include "QtPlatformServices.h"
#include "StartFailure.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[]) {
  morvane::ProtectProcess();
  morvane::StartFailureGuard start_failure;
  QApplication application(argc, argv);
  QApplication::setApplicationVersion(QStringLiteral(MORVANE_VERSION));
  // The desktop entry's name: the Wayland app id, and on X11 the class of WM_CLASS, which the
  // entry's StartupWMClass repeats, so that docks tie the window to its launcher. No display
  // name: on X11 Qt would append it to every window title, message boxes included.
  QGuiApplication::setDesktopFileName(QStringLiteral("org.morvane.Generator"));
  QCoreApplication::setApplicationName(QStringLiteral("org.morvane.Generator"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/org.morvane.Generator.png")));

  int status = 0;
  {
    morvane::QtPlatformServices services;
    morvane::Form1 form(services);
    services.SetMainWindow(form);
    form.show();
    start_failure.Started();  // the window exists: the window system took it
    status = QApplication::exec();
  }
  // Qt 6.4's Wayland client now and then hangs for good while it closes its connection (its event
  // thread waits for a read that never comes). The window is gone and nothing is left to do, so
  // there the program ends without that.
  if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
    std::fflush(nullptr);
    std::_Exit(status);
  }
  return status;
}
