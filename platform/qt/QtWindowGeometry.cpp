#include "QtWindowGeometry.h"

#include "Twips.h"
#include "X11WindowAnswers.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace morvane {
namespace {

using std::chrono::milliseconds;

int PixelsFromTwips(float twips) {
  return static_cast<int>(std::lround(twips / static_cast<float>(kTwipsPerPixel)));
}

float TwipsFromPixels(int pixels) {
  return static_cast<float>(pixels * kTwipsPerPixel);
}

// A window of no width or height is hidden by Qt and unmapped by X, so the smallest window that
// still shows is one pixel inside its frame.
constexpr int kSmallestInside = 1;

// How long the compositor's next frame may keep a change waiting; at 60 Hz it comes within
// 17 ms, and the margin is for a loaded machine.
constexpr milliseconds kLongestSilence{120};

// Ends `loop` when a window is asked to draw its next frame, which on Wayland comes once the
// compositor has shown the one before.
class NextFrame final : public QObject {
 public:
  NextFrame(QWindow& window, QEventLoop& loop) : window_(window), loop_(loop) {
    window_.installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &window_ && event->type() == QEvent::UpdateRequest) {
      came_ = true;
      loop_.quit();
    }
    return false;
  }

  bool Came() const { return came_; }

 private:
  QWindow& window_;
  QEventLoop& loop_;
  bool came_ = false;
};

// A Wayland client sizes its window itself; the compositor takes the new size with the frame
// drawn at it, and asks for the next frame once it has shown that one.
bool WaitForNextFrame(QWidget& window, const QRect& inside) {
  window.setGeometry(inside);
  window.repaint();
  QWindow* handle = window.windowHandle();
  if (handle == nullptr) return true;
  QEventLoop loop;
  NextFrame frame(*handle, loop);
  QTimer bound;
  bound.setSingleShot(true);
  QObject::connect(&bound, &QTimer::timeout, &loop, &QEventLoop::quit);
  bound.start(kLongestSilence);
  handle->requestUpdate();
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  return frame.Came();
}

// Sets a width or height, but no smaller than the smallest window that still shows; false once
// it is that small already. `frame` is what the window manager's frame adds to it, in pixels.
bool SetSize(float& size, float twips, int frame) {
  const float smallest = TwipsFromPixels(frame + kSmallestInside);
  if (twips < smallest && size <= smallest) return false;
  size = std::max(twips, smallest);
  return true;
}

// The frame `request` made no larger, higher or further left than `before`.
QRect NotBehind(const QRect& request, const QRect& before) {
  return {QPoint(std::max(request.left(), before.left()), std::max(request.top(), before.top())),
          request.size().boundedTo(before.size())};
}

}  // namespace

QtWindowGeometry::Outer QtWindowGeometry::FromFrame(const QRect& frame) {
  return {TwipsFromPixels(frame.top()), TwipsFromPixels(frame.left()),
          TwipsFromPixels(frame.width()), TwipsFromPixels(frame.height())};
}

void QtWindowGeometry::SetWindow(QWidget& window) {
  window_ = &window;
  wanted_.reset();
  shown_.reset();
  last_request_.reset();
}

void QtWindowGeometry::ForgetWindow() {
  window_ = nullptr;
  wanted_.reset();  // reads go on giving what was shown last
}

QtWindowGeometry::Outer& QtWindowGeometry::Wanted() const {
  if (!wanted_) {
    wanted_ = shown_ ? *shown_ : FromFrame(window_ == nullptr ? QRect() : window_->frameGeometry());
  }
  return *wanted_;
}

float QtWindowGeometry::Top() const {
  return Wanted().top;
}

float QtWindowGeometry::Left() const {
  return Wanted().left;
}

float QtWindowGeometry::Width() const {
  return Wanted().width;
}

float QtWindowGeometry::Height() const {
  return Wanted().height;
}

bool QtWindowGeometry::InNormalState() const {
  return window_ != nullptr &&
         (window_->windowState() &
          (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) == 0;
}

bool QtWindowGeometry::CanMove() const {
  // A Wayland client cannot place its own window.
  return InNormalState() && !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

bool QtWindowGeometry::SetTop(float twips) {
  if (!CanMove()) return false;
  Wanted().top = twips;
  return true;
}

bool QtWindowGeometry::SetLeft(float twips) {
  if (!CanMove()) return false;
  Wanted().left = twips;
  return true;
}

bool QtWindowGeometry::SetWidth(float twips) {
  if (!InNormalState()) return false;
  return SetSize(Wanted().width, twips, window_->frameGeometry().width() - window_->width());
}

bool QtWindowGeometry::SetHeight(float twips) {
  if (!InNormalState()) return false;
  return SetSize(Wanted().height, twips, window_->frameGeometry().height() - window_->height());
}

float QtWindowGeometry::ScreenWidth() const {
  const QScreen* screen = window_ == nullptr ? nullptr : window_->screen();
  return screen == nullptr ? 0.0F : TwipsFromPixels(screen->geometry().width());
}

bool QtWindowGeometry::ApplyAndWait(const QRect& inside) {
  // Qt keeps a widget within its minimum and maximum sizes: they go.
  window_->setMinimumSize(0, 0);
  window_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  const QString platform = QGuiApplication::platformName();
#if QT_CONFIG(xcb)
  if (platform == QLatin1String("xcb")) {
    // X11 window managers give a window whose size may vary a frame of another kind (wider, with
    // borders to resize it by), which would make the window seem to grow at the start, so the
    // window manager sees a window of fixed size throughout, one size after the other. (Qt 6.4's
    // Wayland client can hang at exit after such changes, and compositors need none.)
    if (QWindow* handle = window_->windowHandle()) {
      handle->setMinimumSize(inside.size());
      handle->setMaximumSize(inside.size());
    }
    return MoveResizeAndWaitOnX11(*window_, inside);
  }
#endif
  if (platform.startsWith(QLatin1String("wayland"))) return WaitForNextFrame(*window_, inside);
  window_->setGeometry(inside);  // elsewhere the window takes its geometry at once
  return true;
}

// One request for all four values: the window moves by its frame's corner (as move() does for a
// top-level widget) and is resized inside its frame.
void QtWindowGeometry::ShowChanges() {
  if (window_ != nullptr && wanted_) {
    const QRect frame = window_->frameGeometry();
    const QRect inside = window_->geometry();
    const Outer before = shown_.value_or(FromFrame(frame));
    QRect request(PixelsFromTwips(wanted_->left), PixelsFromTwips(wanted_->top),
                  PixelsFromTwips(wanted_->width), PixelsFromTwips(wanted_->height));
    if (last_request_) request = NotBehind(request, *last_request_);
    const QRect asked_inside(request.topLeft() + (inside.topLeft() - frame.topLeft()),
                             (request.size() - (frame.size() - inside.size()))
                                 .expandedTo(QSize(kSmallestInside, kSmallestInside)));
    bool answered = true;
    if (asked_inside != inside) {
      last_request_ = request;
      answered = ApplyAndWait(asked_inside);
    }
    shown_ = answered ? FromFrame(window_->frameGeometry()) : before;
  }
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  wanted_.reset();
}

}  // namespace morvane
