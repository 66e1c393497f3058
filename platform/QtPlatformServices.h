#pragma once

#include "SystemServices.h"
#include "WindowGeometry.h"

class QString;
class QWidget;

namespace morvane {

// The production services for the window: SystemServices with real message boxes.
class QtPlatformServices : public SystemServices {
 public:
  QtPlatformServices() = default;

  // A modal box over the active window. Texts are always shown as plain text, so a key that
  // looks like markup appears literally.
  void ShowMessageBox(MessageBoxStyle style, std::string_view prompt,
                      std::string_view title) override;
};

// Replaces the clipboard's content by `text` as plain text, marked as secret where the desktop
// has a convention for it, so that clipboard managers and histories do not keep keys.
void PutSecretTextOnClipboard(const QString& text);

// Ends the program through the event loop's normal exit, which lets a clipboard manager take
// over the clipboard before the process goes.
void EndProgram();

// The geometry of a top-level widget, with twips converted to logical pixels.
class QtWindowGeometry : public WindowGeometry {
 public:
  explicit QtWindowGeometry(QWidget& window) : window_(window) {}

  float Top() const override;
  float Left() const override;
  float Width() const override;
  float Height() const override;
  void SetTop(float twips) override;
  void SetLeft(float twips) override;
  void SetWidth(float twips) override;
  void SetHeight(float twips) override;
  float ScreenWidth() const override;
  void ShowChanges() override;

 private:
  QWidget& window_;
};

}  // namespace morvane
