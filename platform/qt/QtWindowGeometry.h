#pragma once

#include "PlatformServices.h"

#include <QRect>

#include <optional>

class QWidget;

namespace morvane {

// The outer geometry of a top-level widget, with twips converted to logical pixels. Without a
// widget every read gives 0 and every write is refused.
//
// Writes gather into one request that ShowChanges() passes on to the window system. Under a
// window manager the request reaches the window only later, and Qt reports the geometry asked
// for at once, so ShowChanges() waits until the window system has carried it out (on X11 the
// ConfigureNotify events for the window and its frame, on Wayland the compositor's next frame),
// for a short time at most, and reads then give what the window system made of the request. A
// window system that does not answer in time is taken to have left the window where it was. No
// request ever asks for a window larger, higher or further left than the one before, so a late
// answer cannot make the window grow back.
class QtWindowGeometry final : public WindowGeometry {
 public:
  void SetWindow(QWidget& window);
  // The window is gone (another program destroyed it): from now on every write is refused.
  void ForgetWindow();

  float Top() const override;
  float Left() const override;
  float Width() const override;
  float Height() const override;
  // Refused where the window system places windows itself: on Wayland, and for a window that
  // is minimised, maximised or full screen.
  bool SetTop(float twips) override;
  bool SetLeft(float twips) override;
  // Refused for a window that is minimised, maximised or full screen. Sizes stop at the smallest
  // that still shows: one pixel inside the frame. At that size a smaller one is refused.
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

  static Outer FromFrame(const QRect& frame);
  Outer& Wanted() const;
  bool InNormalState() const;
  bool CanMove() const;
  // Asks for `inside` and waits for the window system's answer; false if none came in time.
  bool ApplyAndWait(const QRect& inside);

  QWidget* window_ = nullptr;
  mutable std::optional<Outer> wanted_;  // twips; empty until the first read or write of a change
  std::optional<Outer> shown_;           // twips; what the window system showed after a change
  std::optional<QRect> last_request_;    // the frame last asked for, in pixels
};

}  // namespace morvane
