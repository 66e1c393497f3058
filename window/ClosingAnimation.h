#pragma once

#include "PlatformServices.h"

#include <functional>

namespace morvane {

// Why the closing animation stopped.
enum class AnimationEnd {
  LeftScreen,   // the window's top passed the screen's width
  MoveRefused,  // the window system refused to move the window further
  OutOfTime,    // the time allowed ran out first
};

// Shrinks the window about its centre and slides it down and to the right, 30 twips a pass, until
// its top passes the screen's width. Each of the four changes of a pass is tried on its own, so a
// refused one does not stop the others; once the window is as small as it gets, it only moves.
// `out_of_time` is asked after every pass.
AnimationEnd RunClosingAnimation(WindowGeometry& window, const std::function<bool()>& out_of_time);

}  // namespace morvane
