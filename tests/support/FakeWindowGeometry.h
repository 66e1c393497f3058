#pragma once

// A window in twips on a screen 3000 twips wide that keeps what it is given, within the limits
// a test sets, and logs every write.

#include "PlatformServices.h"

#include <algorithm>
#include <string>
#include <vector>

namespace morvane::testing {

class FakeWindowGeometry final : public WindowGeometry {
 public:
  float top = 1500;
  float left = 1500;
  float width = 5295;
  float height = 3615;
  float minimum_size = 0;      // sizes stop here, as a window system's minimum would
  bool frozen = false;         // every write is refused, as for a window that is kept in place
  bool moves_refused = false;  // only moves are refused, as on Wayland
  bool top_refused = false;    // only moving down is refused, as at a screen's bottom edge
  std::vector<std::string> log;
  int changes_shown = 0;  // ShowChanges() calls

  float Top() const override { return top; }
  float Left() const override { return left; }
  float Width() const override { return width; }
  float Height() const override { return height; }
  bool SetTop(float twips) override {
    return !moves_refused && !top_refused && Write("top", top, twips);
  }
  bool SetLeft(float twips) override { return !moves_refused && Write("left", left, twips); }
  bool SetWidth(float twips) override { return Resize("width", width, twips); }
  bool SetHeight(float twips) override { return Resize("height", height, twips); }
  float ScreenWidth() const override { return 3000; }
  void ShowChanges() override { ++changes_shown; }

 private:
  // Below the minimum the size stops there; at the minimum a smaller one is refused.
  bool Resize(const char* what, float& value, float twips) {
    if (twips < minimum_size && value <= minimum_size) return false;
    return Write(what, value, std::max(minimum_size, twips));
  }
  bool Write(const char* what, float& value, float twips) {
    log.push_back(std::string(what) + ' ' + std::to_string(static_cast<int>(twips)));
    if (frozen) return false;
    value = twips;
    return true;
  }
};

}  // namespace morvane::testing
