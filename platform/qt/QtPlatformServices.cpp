#include "QtPlatformServices.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QUtf8StringView>
#include <QWidget>

#if QT_CONFIG(xcb)
#include <xcb/xcb.h>
#endif

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <utility>

namespace morvane {
namespace {

QString FromUtf8(std::string_view text) {
  return QUtf8StringView(text.data(), static_cast<qsizetype>(text.size())).toString();
}

// The mark that KDE's Klipper and other clipboard managers read as "do not keep this".
const QString kSecretHint = QStringLiteral("x-kde-passwordManagerHint");

// Plain text marked as secret where the desktop has a convention for it, so that clipboard
// managers and histories do not keep it.
std::unique_ptr<QMimeData> SecretText(const QString& text) {
  auto data = std::make_unique<QMimeData>();
  data->setText(text);
#if defined(Q_OS_WIN)
  // Qt registers a MIME type it has no converter for as a Windows clipboard format of exactly
  // that name, so these are the names clipboard history and cloud clipboard look for. (The
  // "application/x-qt-windows-mime;value=" form names formats only when reading.)
  const QByteArray zero(4, '\0');  // a DWORD 0 says "no"
  for (const QString& format : {QStringLiteral("ExcludeClipboardContentFromMonitorProcessing"),
                                QStringLiteral("CanIncludeInClipboardHistory"),
                                QStringLiteral("CanUploadToCloudClipboard")}) {
    data->setData(format, zero);
  }
#elif defined(Q_OS_MACOS)
  data->setData(QStringLiteral("application/x-nspasteboard-concealed-type"), text.toUtf8());
#else
  data->setData(kSecretHint, QByteArrayLiteral("secret"));
#endif
  return data;
}

// A line edit puts selected text into the primary selection as plain text. Only what this
// program owns is read, so no other program is ever waited for; the marked copy that replaces
// it raises this again, and then has the mark.
void MarkOwnSelectionSecret(QClipboard& clipboard) {
  if (!clipboard.ownsSelection()) return;
  const QMimeData* data = clipboard.mimeData(QClipboard::Selection);
  if (data == nullptr || data->hasFormat(kSecretHint)) return;
  clipboard.setMimeData(SecretText(data->text()).release(), QClipboard::Selection);
}

// Calls `destroyed` when the X server reports that another client has destroyed `window`, as
// `xdotool windowclose` does. Qt itself would go on running with no window.
class WindowDestroyedWatch final : public QAbstractNativeEventFilter {
 public:
  WindowDestroyedWatch(const QWidget& window, std::function<void()> destroyed)
      : window_(window), destroyed_(std::move(destroyed)) {}

  bool nativeEventFilter(const QByteArray& type, void* message, qintptr* /*result*/) override {
#if QT_CONFIG(xcb)
    if (type != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    constexpr std::uint8_t kSentByAClient = 0x80;
    if ((event->response_type & ~kSentByAClient) == XCB_DESTROY_NOTIFY &&
        window_.internalWinId() != 0 &&
        reinterpret_cast<const xcb_destroy_notify_event_t*>(event)->window ==
            window_.internalWinId()) {
      destroyed_();
    }
#else
    Q_UNUSED(type);
    Q_UNUSED(message);
#endif
    return false;
  }

 private:
  const QWidget& window_;
  std::function<void()> destroyed_;
};

}  // namespace

QtPlatformServices::QtPlatformServices() {
  QClipboard* clipboard = QGuiApplication::clipboard();
  selection_watch_ = QObject::connect(clipboard, &QClipboard::selectionChanged,
                                      [clipboard] { MarkOwnSelectionSecret(*clipboard); });
}

QtPlatformServices::~QtPlatformServices() {
  QObject::disconnect(selection_watch_);
  if (destroy_watch_) QCoreApplication::instance()->removeNativeEventFilter(destroy_watch_.get());
}

void QtPlatformServices::SetMainWindow(QWidget& window) {
  geometry_.SetWindow(window);
  if (destroy_watch_) QCoreApplication::instance()->removeNativeEventFilter(destroy_watch_.get());
  destroy_watch_ = std::make_unique<WindowDestroyedWatch>(window, [this, &window] {
    geometry_.ForgetWindow();
    QCoreApplication::postEvent(&window, new QCloseEvent);
  });
  QCoreApplication::instance()->installNativeEventFilter(destroy_watch_.get());
}

void QtPlatformServices::ShowMessageBox(MessageBoxStyle style, std::string_view prompt,
                                        std::string_view title) {
  // An instance rather than the static helpers: only an instance can refuse rich text.
  QMessageBox box(QApplication::activeWindow());
  box.setIcon(style == MessageBoxStyle::Critical ? QMessageBox::Critical
                                                 : QMessageBox::Information);
  box.setWindowTitle(FromUtf8(title));
  box.setTextFormat(Qt::PlainText);
  box.setText(FromUtf8(prompt));
  box.setStandardButtons(QMessageBox::Ok);
  box.exec();
}

void QtPlatformServices::SetClipboardText(std::string_view text) {
  // Setting new content replaces the old, which is clearing and writing in one step.
  QGuiApplication::clipboard()->setMimeData(SecretText(FromUtf8(text)).release());
}

void QtPlatformServices::ClearOwnSelection() {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard->supportsSelection() && clipboard->ownsSelection()) {
    clipboard->clear(QClipboard::Selection);
  }
}

void QtPlatformServices::EndProgram() {
  QCoreApplication::quit();
}

}  // namespace morvane
