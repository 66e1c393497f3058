#pragma once

#include "PlatformServices.h"

#include <chrono>
#include <functional>

namespace morvane {

// Why the closing animation stopped.
enum class AnimationEnd {
  LeftScreen,   // the window's top passed the screen's width
  KeptInPlace,  // the window system neither moved the window down nor shrank it any further
  OutOfTime,    // the time allowed ran out first
};

// The animation aims to be done this long after it started, folding several passes into one change
// of the window where the window system is too slow for one pass a change.
inline constexpr std::chrono::milliseconds kClosingSlideTime{1000};
// It stops this long after it started, wherever the window is.
inline constexpr std::chrono::milliseconds kLongestClosing{1500};

// Shrinks the window about its centre and slides it down and to the right, 30 twips a pass, until
// its top passes the screen's width. Each of the four changes of a pass is tried on its own, so a
// refused one does not stop the others; once the window is as small as it gets, it only moves.
// After each change shown the window is read back as the window system left it, so the animation
// ends where the window system keeps the window from moving down or shrinking. `elapsed` is the
// time since the animation started.
AnimationEnd RunClosingAnimation(WindowGeometry& window,
                                 const std::function<std::chrono::milliseconds()>& elapsed);

}  // namespace morvane
