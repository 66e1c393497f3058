#pragma once

#include <span>
#include <string_view>

namespace morvane {

// The icon of a message box; the values are the classic message box styles.
enum class MessageBoxStyle : int { Critical = 16, Information = 64 };

// What key generation takes from outside: the time of day that reseeds the random source, and the
// source itself. Tests replace it with scripted draws.
class RandomServices {
 public:
  virtual ~RandomServices() = default;

  // Seconds since local midnight, with a fractional part.
  virtual float SecondsSinceMidnight() = 0;

  // Feeds `seed` into the random source.
  virtual void Reseed(float seed) = 0;

  // The next number of the random source, uniform in [0, 1).
  virtual float NextRandom() = 0;

  // The next draws.size() numbers, in order: the same as as many calls of NextRandom, in one call.
  virtual void NextRandoms(std::span<float> draws) {
    for (float& draw : draws) draw = NextRandom();
  }

 protected:
  RandomServices() = default;
  RandomServices(const RandomServices&) = default;
  RandomServices& operator=(const RandomServices&) = default;
  RandomServices(RandomServices&&) = default;
  RandomServices& operator=(RandomServices&&) = default;
};

// The outer geometry of the program's window in twips (1/1440 inch, 15 to a logical pixel), read
// and written one value at a time. A setter returns false when the window system refuses the
// change; the value then stays as it was.
class WindowGeometry {
 public:
  virtual ~WindowGeometry() = default;

  virtual float Top() const = 0;
  virtual float Left() const = 0;
  virtual float Width() const = 0;
  virtual float Height() const = 0;
  virtual bool SetTop(float twips) = 0;
  virtual bool SetLeft(float twips) = 0;
  virtual bool SetWidth(float twips) = 0;
  virtual bool SetHeight(float twips) = 0;

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

// Everything the window takes from the outside world. Keeping it behind this interface lets the
// window run under tests that record what it would show and copy.
class PlatformServices {
 public:
  virtual ~PlatformServices() = default;

  // The random source and clock that keys are made from.
  virtual RandomServices& Random() = 0;

  // Shows a modal box with a single OK button and returns once it is dismissed. Texts are UTF-8;
  // the prompt may hold CR LF line breaks and is shown as plain text.
  virtual void ShowMessageBox(MessageBoxStyle style, std::string_view prompt,
                              std::string_view title) = 0;

  // Replaces the clipboard's content by `text` (UTF-8), marked as secret where the desktop has a
  // convention for it, so that clipboard managers and histories do not keep keys.
  virtual void SetClipboardText(std::string_view text) = 0;

  // Takes back what this program put into the primary selection (the text that a middle click
  // pastes on X11 and Wayland), if the selection still holds it. Text selected in a box goes
  // there at once, marked as secret like the clipboard; the window calls this when a key leaves
  // its boxes.
  virtual void ClearOwnSelection() = 0;

  // The geometry of the program's window.
  virtual WindowGeometry& MainWindowGeometry() = 0;

  // Ends the program once the running handler returns; no further handler runs.
  virtual void EndProgram() = 0;

 protected:
  PlatformServices() = default;
  PlatformServices(const PlatformServices&) = default;
  PlatformServices& operator=(const PlatformServices&) = default;
  PlatformServices(PlatformServices&&) = default;
  PlatformServices& operator=(PlatformServices&&) = default;
};

}  // namespace morvane
