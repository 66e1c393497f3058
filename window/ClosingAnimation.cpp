#include "ClosingAnimation.h"

#include <array>
#include <exception>

namespace morvane {
namespace {

constexpr float kStep = 30.0F;

using Geometry = std::array<float, 4>;

Geometry Read(const WindowGeometry& window) {
  return {window.Top(), window.Left(), window.Width(), window.Height()};
}

template <typename Change>
void TryChange(Change change) {
  try {
    change();
  } catch (const std::exception&) {
    // A refused change leaves the window as it was; the others still run.
  }
}

}  // namespace

AnimationEnd RunClosingAnimation(WindowGeometry& window, const std::function<bool()>& out_of_time) {
  try {
    for (;;) {
      const Geometry before = Read(window);
      TryChange([&] { window.SetTop(window.Top() + kStep); });
      TryChange([&] { window.SetLeft(window.Left() + kStep); });
      TryChange([&] { window.SetWidth(window.Width() - 2 * kStep); });
      TryChange([&] { window.SetHeight(window.Height() - 2 * kStep); });
      window.ShowChanges();
      if (window.Top() > window.ScreenWidth()) return AnimationEnd::LeftScreen;
      // Without these two exits a window that cannot move would keep the program alive forever.
      if (Read(window) == before) return AnimationEnd::Stuck;
      if (out_of_time()) return AnimationEnd::OutOfTime;
    }
  } catch (const std::exception&) {
    return AnimationEnd::Failed;
  }
}

}  // namespace morvane
