#pragma once

#include <string_view>

namespace morvane {

// The icon of a message box; the values are the classic message box styles.
enum class MessageBoxStyle : int { Critical = 16, Information = 64 };

// What the key logic takes from the outside world. Keeping it behind this interface lets the
// logic run in a terminal tool and under tests with scripted answers.
class PlatformServices {
 public:
  virtual ~PlatformServices() = default;

  // Shows a modal box with a single OK button and returns once it is dismissed. Texts are UTF-8;
  // the prompt may hold CR LF line breaks and is shown as plain text.
  virtual void ShowMessageBox(MessageBoxStyle style, std::string_view prompt,
                              std::string_view title) = 0;

  // Seconds since local midnight, with a fractional part.
  virtual float SecondsSinceMidnight() = 0;

  // Feeds `seed` into the random source.
  virtual void Reseed(float seed) = 0;

  // The next number of the random source, uniform in [0, 1).
  virtual float NextRandom() = 0;

 protected:
  PlatformServices() = default;
  PlatformServices(const PlatformServices&) = default;
  PlatformServices& operator=(const PlatformServices&) = default;
  PlatformServices(PlatformServices&&) = default;
  PlatformServices& operator=(PlatformServices&&) = default;
};

}  // namespace morvane
