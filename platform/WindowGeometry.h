#pragma once

namespace morvane {

// The outer geometry of a top-level window in twips (1/1440 inch, 15 to a logical pixel), read
// and written one value at a time. A setter may be refused by the window system, in which case
// the value simply stays; an implementation may also throw to report a failed write.
class WindowGeometry {
 public:
  virtual ~WindowGeometry() = default;

  virtual float Top() const = 0;
  virtual float Left() const = 0;
  virtual float Width() const = 0;
  virtual float Height() const = 0;
  virtual void SetTop(float twips) = 0;
  virtual void SetLeft(float twips) = 0;
  virtual void SetWidth(float twips) = 0;
  virtual void SetHeight(float twips) = 0;

  // The width of the screen that shows the window.
  virtual float ScreenWidth() const = 0;

  // Lets the window system show the changes made so far, without delivering user input.
  virtual void ShowChanges() = 0;

 protected:
  WindowGeometry() = default;
  WindowGeometry(const WindowGeometry&) = default;
  WindowGeometry& operator=(const WindowGeometry&) = default;
  WindowGeometry(WindowGeometry&&) = default;
  WindowGeometry& operator=(WindowGeometry&&) = default;
};

}  // namespace morvane
