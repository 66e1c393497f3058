#include "ClosingAnimation.h"

#include <array>

namespace morvane {
namespace {

constexpr float kStep = 30.0F;

using Geometry = std::array<float, 4>;

Geometry Read(const WindowGeometry& window) {
  return {window.Top(), window.Left(), window.Width(), window.Height()};
}

}  // namespace

AnimationEnd RunClosingAnimation(WindowGeometry& window, const std::function<bool()>& out_of_time) {
  for (;;) {
    const Geometry before = Read(window);
    // A refused change leaves its value as it was; the others still run.
    window.SetTop(window.Top() + kStep);
    window.SetLeft(window.Left() + kStep);
    window.SetWidth(window.Width() - 2 * kStep);
    window.SetHeight(window.Height() - 2 * kStep);
    window.ShowChanges();
    if (window.Top() > window.ScreenWidth()) return AnimationEnd::LeftScreen;
    // Without these two exits a window that cannot move would keep the program alive forever.
    if (Read(window) == before) return AnimationEnd::Stuck;
    if (out_of_time()) return AnimationEnd::OutOfTime;
  }
}

}  // namespace morvane
