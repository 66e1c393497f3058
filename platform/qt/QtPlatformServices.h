#pragma once

#include "PlatformServices.h"
#include "QtWindowGeometry.h"
#include "SystemRandomServices.h"

#include <QMetaObject>

#include <memory>

class QAbstractNativeEventFilter;
class QWidget;

namespace morvane {

// The production services for the window, on Qt Widgets, with the production random service.
class QtPlatformServices final : public PlatformServices {
 public:
  // Marks whatever the program's boxes put into the primary selection as secret, as soon as
  // they put it there.
  QtPlatformServices();
  ~QtPlatformServices() override;
  QtPlatformServices(const QtPlatformServices&) = delete;
  QtPlatformServices& operator=(const QtPlatformServices&) = delete;
  QtPlatformServices(QtPlatformServices&&) = delete;
  QtPlatformServices& operator=(QtPlatformServices&&) = delete;

  // The window that MainWindowGeometry() moves and resizes; set once it exists. Should another
  // program destroy it, the window is sent a close event, as if it had been closed, and its
  // geometry refuses every change from then on.
  void SetMainWindow(QWidget& window);

  RandomServices& Random() override { return random_; }

  // A modal box over the active window. Texts are always shown as plain text, so a key that
  // looks like markup appears literally.
  void ShowMessageBox(MessageBoxStyle style, std::string_view prompt,
                      std::string_view title) override;
  void SetClipboardText(std::string_view text) override;
  void ClearOwnSelection() override;
  WindowGeometry& MainWindowGeometry() override { return geometry_; }

  // Leaves the event loop the normal way, which lets a clipboard manager take over the
  // clipboard before the process goes.
  void EndProgram() override;

 private:
  SystemRandomServices random_;
  QtWindowGeometry geometry_;
  QMetaObject::Connection selection_watch_;
  std::unique_ptr<QAbstractNativeEventFilter> destroy_watch_;
};

}  // namespace morvane
