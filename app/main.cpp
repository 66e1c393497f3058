// Start-up: creates the main window and hands over to the event loop.
#include "Form1.h"
#include "MorvaneVersion.h"
#include "QtPlatformServices.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationVersion(QStringLiteral(MORVANE_VERSION));
  // No display name: on X11 Qt would append it to every window title, message boxes included.
  QGuiApplication::setDesktopFileName(QStringLiteral("org.morvane.Generator"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/org.morvane.Generator.png")));

  morvane::QtPlatformServices services;
  morvane::Form1 form(services);
  services.SetMainWindow(form);
  form.show();
  return QApplication::exec();
}
