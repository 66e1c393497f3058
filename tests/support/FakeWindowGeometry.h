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
  float minimum_size = 0;  // sizes stop here, as a window system's minimum would
  bool frozen = false;     // every write is refused, as for a window that is kept in place
  std::vector<std::string> log;
  int passes = 0;

  float Top() const override { return top; }
  float Left() const override { return left; }
  float Width() const override { return width; }
  float Height() const override { return height; }
  bool SetTop(float twips) override { return Write("top", top, twips); }
  bool SetLeft(float twips) override { return Write("left", left, twips); }
  bool SetWidth(float twips) override {
    return Write("width", width, std::max(minimum_size, twips));
  }
  bool SetHeight(float twips) override {
    return Write("height", height, std::max(minimum_size, twips));
  }
  float ScreenWidth() const override { return 3000; }
  void ShowChanges() override { ++passes; }

 private:
  bool Write(const char* what, float& value, float twips) {
    log.push_back(std::string(what) + ' ' + std::to_string(static_cast<int>(twips)));
    if (frozen) return false;
    value = twips;
    return true;
  }
};

}  // namespace morvane::testing
