#pragma once

#include "PlatformServices.h"

#include <optional>

class QWidget;

namespace morvane {

// The outer geometry of a top-level widget, with twips converted to logical pixels. Without a
// widget every read gives 0 and every write is refused.
//
// Under a window manager a request to move or resize reaches the window only later, so reading
// the window back right after a write can give an older geometry, and a read-add-write loop
// would undo its own progress. Reads therefore answer with the geometry last asked for, taken
// from the window at the first read; ShowChanges() passes it on to the window system.
class QtWindowGeometry final : public WindowGeometry {
 public:
  void SetWindow(QWidget& window);

  float Top() const override;
  float Left() const override;
  float Width() const override;
  float Height() const override;
  // Refused where the window system places windows itself: on Wayland, and for a window that
  // is minimised, maximised or full screen.
  bool SetTop(float twips) override;
  bool SetLeft(float twips) override;
  // Sizes stop at the smallest that still shows: one pixel inside the frame. At that size a
  // smaller one is refused.
  bool SetWidth(float twips) override;
  bool SetHeight(float twips) override;
  float ScreenWidth() const override;
  void ShowChanges() override;

 private:
  struct Outer {
    float top = 0;
    float left = 0;
    float width = 0;
    float height = 0;
  };

  Outer& Wanted() const;
  bool CanMove() const;

  QWidget* window_ = nullptr;
  mutable std::optional<Outer> wanted_;  // twips; empty until the first read or write
};

}  // namespace morvane
