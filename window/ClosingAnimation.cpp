#include "ClosingAnimation.h"

namespace morvane {
namespace {

constexpr float kStep = 30.0F;

}  // namespace

AnimationEnd RunClosingAnimation(WindowGeometry& window, const std::function<bool()>& out_of_time) {
  for (;;) {
    // Each step reads, adds and writes back on its own; a refused one leaves its value as it was.
    const bool moved_down = window.SetTop(window.Top() + kStep);
    const bool moved_right = window.SetLeft(window.Left() + kStep);
    window.SetWidth(window.Width() - 2 * kStep);
    window.SetHeight(window.Height() - 2 * kStep);
    window.ShowChanges();
    if (window.Top() > window.ScreenWidth()) return AnimationEnd::LeftScreen;
    // A window that the window system keeps in place would never leave the screen.
    if (!moved_down || !moved_right) return AnimationEnd::MoveRefused;
    if (out_of_time()) return AnimationEnd::OutOfTime;
  }
}

}  // namespace morvane
