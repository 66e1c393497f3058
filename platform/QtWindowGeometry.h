#pragma once

#include "PlatformServices.h"

class QWidget;

namespace morvane {

// The outer geometry of a top-level widget, with twips converted to logical pixels. Without a
// widget every read gives 0 and every write is refused.
class QtWindowGeometry final : public WindowGeometry {
 public:
  void SetWindow(QWidget& window) { window_ = &window; }

  float Top() const override;
  float Left() const override;
  float Width() const override;
  float Height() const override;
  bool SetTop(float twips) override;
  bool SetLeft(float twips) override;
  bool SetWidth(float twips) override;
  bool SetHeight(float twips) override;
  float ScreenWidth() const override;
  void ShowChanges() override;

 private:
  QWidget* window_ = nullptr;
};

}  // namespace morvane
