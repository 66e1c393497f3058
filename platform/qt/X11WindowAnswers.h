#pragma once

#include <QRect>

class QWidget;

namespace morvane {

// Asks the X server to give `window` (a shown top-level widget) the geometry `inside`, inside its
// frame, and waits until the window system has carried the request out as the user sees it: the
// window's own ConfigureNotify has come and, under a window manager, its frame has moved along
// too (openbox, for one, tells the window it has moved before it moves the frame). A window
// manager that answers otherwise (keeping the window on the screen, or larger) is taken at its
// word once it has been quiet for a moment. False if nothing was heard within a short bound.
// Only on X11 (Qt's xcb platform).
bool MoveResizeAndWaitOnX11(QWidget& window, const QRect& inside);

}  // namespace morvane
