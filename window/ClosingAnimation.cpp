#include "ClosingAnimation.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace morvane {
namespace {

using std::chrono::milliseconds;

constexpr float kStep = 30.0F;

// One pass: each change read, added and written back on its own. Whether it moved the window down
// or shrank it, the changes that bring the animation nearer its end.
bool Pass(WindowGeometry& window) {
  const bool moved_down = window.SetTop(window.Top() + kStep);
  window.SetLeft(window.Left() + kStep);
  const bool narrower = window.SetWidth(window.Width() - 2 * kStep);
  const bool lower = window.SetHeight(window.Height() - 2 * kStep);
  return moved_down || narrower || lower;
}

bool PastScreen(const WindowGeometry& window) {
  return window.Top() > window.ScreenWidth();
}

// About how many passes remain: until the top passes the screen's width while the window moves,
// or until the window cannot shrink any more where it does not.
double PassesLeft(const WindowGeometry& window, bool moving) {
  const double passes = moving ? std::floor((window.ScreenWidth() - window.Top()) / kStep) + 1
                               : std::ceil(std::max(window.Width(), window.Height()) / (2 * kStep));
  return std::max(passes, 1.0);
}

// As many passes as keep the animation on course to end by kClosingSlideTime, at the pace the
// window system has shown so far; at least one.
double PassesThisChange(int changes_shown, milliseconds elapsed, double passes_left) {
  if (changes_shown == 0) return 1;
  const milliseconds time_left = kClosingSlideTime - elapsed;
  if (time_left <= milliseconds::zero()) return passes_left;
  const double per_change = static_cast<double>(elapsed.count()) / changes_shown;
  const double passes =
      std::ceil(passes_left * per_change / static_cast<double>(time_left.count()));
  return std::clamp(passes, 1.0, passes_left);
}

}  // namespace

AnimationEnd RunClosingAnimation(WindowGeometry& window,
                                 const std::function<milliseconds()>& elapsed) {
  bool moving = true;
  for (int changes_shown = 0;; ++changes_shown) {
    const float top = window.Top();
    const float width = window.Width();
    const float height = window.Height();
    const auto passes = static_cast<std::int64_t>(
        PassesThisChange(changes_shown, elapsed(), PassesLeft(window, moving)));
    for (std::int64_t pass = 0; pass < passes; ++pass) {
      if (!Pass(window) || PastScreen(window)) break;
    }
    // Waits until the window system has carried the changes out, then reads back what it did.
    window.ShowChanges();
    if (PastScreen(window)) return AnimationEnd::LeftScreen;
    moving = window.Top() > top;
    if (!moving && window.Width() >= width && window.Height() >= height) {
      return AnimationEnd::KeptInPlace;
    }
    if (elapsed() >= kLongestClosing) return AnimationEnd::OutOfTime;
  }
}

}  // namespace morvane
