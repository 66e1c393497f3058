#include "StartFailure.h"

#include <QRegularExpression>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace morvane {
namespace {

struct HeldMessage {
  QtMsgType type;
  QByteArray category;
  QString text;
};

std::vector<HeldMessage>& Held() {
  static std::vector<HeldMessage> held;
  return held;
}

// The line for a start that failed, from Qt's messages so far and the environment.
QString DescribeStartFailure(const std::vector<QString>& messages, const QString& display,
                             const QString& wayland_display) {
  static const QRegularExpression missing_plugin(
      QStringLiteral("Could not find the Qt platform plugin \"([^\"]*)\""));
  for (const QString& message : messages) {
    const QRegularExpressionMatch match = missing_plugin.match(message);
    if (match.hasMatch()) {
      return QStringLiteral("the Qt platform plugin \"%1\" is not installed")
          .arg(match.captured(1));
    }
  }
  for (const QString& message : messages) {
    if (message.contains(QLatin1String("could not connect to display"))) {
      return display.isEmpty()
                 ? QStringLiteral("no X display to show the window on: DISPLAY is not set")
                 : QStringLiteral("cannot open the X display \"%1\"").arg(display);
    }
    if (message.contains(QLatin1String("wl_display"))) {
      return QStringLiteral("cannot open the Wayland display \"%1\"")
          .arg(wayland_display.isEmpty() ? QStringLiteral("wayland-0") : wayland_display);
    }
  }
  return QStringLiteral("no window system to show the window on (%1)")
      .arg(messages.empty() ? QString() : messages.back().section(QLatin1Char('\n'), 0, 0));
}

void HoldOrFail(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type != QtFatalMsg) {
    Held().push_back({type, QByteArray(context.category), text});
    return;
  }
  std::vector<QString> messages;
  for (const HeldMessage& message : Held()) messages.push_back(message.text);
  messages.push_back(text);
  const QString line = DescribeStartFailure(messages, qEnvironmentVariable("DISPLAY"),
                                            qEnvironmentVariable("WAYLAND_DISPLAY"));
  std::fprintf(stderr, "Morvane&Generator: %s\n", line.toLocal8Bit().constData());
  std::fflush(stderr);
  // The application object is half made: leave without running its destructors.
  std::_Exit(1);
}

}  // namespace

StartFailureGuard::StartFailureGuard() : qt_handler_(qInstallMessageHandler(&HoldOrFail)) {}

StartFailureGuard::~StartFailureGuard() {
  Started();
}

void StartFailureGuard::Started() {
  if (!waiting_) return;
  waiting_ = false;
  qInstallMessageHandler(qt_handler_);
  for (const HeldMessage& message : std::exchange(Held(), {})) {
    const QMessageLogContext context(nullptr, 0, nullptr, message.category.constData());
    qt_message_output(message.type, context, message.text);
  }
}

}  // namespace morvane
