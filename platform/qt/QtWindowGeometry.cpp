#include "QtWindowGeometry.h"

#include "Twips.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#if QT_CONFIG(xcb)
#include <xcb/xcb.h>
#endif

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>

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

// How long a change may go unanswered before the window system is taken to have refused it. Window
// managers answer in a few milliseconds, and a compositor's frame comes within 17 ms at 60 Hz;
// the margin is for a loaded machine.
constexpr milliseconds kLongestSilence{120};
// A window manager may answer one request in several notifications (the move, then the resize);
// once it has been quiet this long after one, its answer is complete.
constexpr milliseconds kQuietAfterAnswer{15};

// Runs the event loop, without user input, until `answered` holds (asked after each round of
// events, and at least every millisecond) or `bound` has passed. True if it held.
template <typename Condition>
bool ProcessEventsUntil(Condition answered, milliseconds bound) {
  QElapsedTimer clock;
  clock.start();
  QTimer tick;
  tick.start(1);
  while (!answered()) {
    if (clock.elapsed() >= bound.count()) return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents |
                                    QEventLoop::ExcludeUserInputEvents);
  }
  return true;
}

#if QT_CONFIG(xcb)
// Counts the ConfigureNotify events that the X server sends for one window: its window manager's
// answers to the window's requests, whether they change its geometry or not.
class ConfigureNotifications final : public QAbstractNativeEventFilter {
 public:
  explicit ConfigureNotifications(WId window) : window_(static_cast<xcb_window_t>(window)) {
    QCoreApplication::instance()->installNativeEventFilter(this);
  }
  ~ConfigureNotifications() override {
    QCoreApplication::instance()->removeNativeEventFilter(this);
  }
  ConfigureNotifications(const ConfigureNotifications&) = delete;
  ConfigureNotifications& operator=(const ConfigureNotifications&) = delete;

  bool nativeEventFilter(const QByteArray& type, void* message, qintptr* /*result*/) override {
    if (type != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    constexpr std::uint8_t kSentByAClient = 0x80;  // the window manager's synthetic answers
    if ((event->response_type & ~kSentByAClient) == XCB_CONFIGURE_NOTIFY &&
        reinterpret_cast<const xcb_configure_notify_event_t*>(event)->window == window_) {
      ++count_;
      since_last_.start();
    }
    return false;
  }

  int Count() const { return count_; }
  milliseconds SinceLast() const { return milliseconds(since_last_.elapsed()); }

 private:
  xcb_window_t window_;
  int count_ = 0;
  QElapsedTimer since_last_;
};

// Qt takes the window manager's answer into the widget's geometry while it handles the event,
// after the filter has seen it, so an answer is judged one round of events after it came.
bool WaitForConfigureNotify(QWidget& window, const QRect& inside) {
  ConfigureNotifications notifications(window.winId());
  window.setGeometry(inside);
  int seen = 0;
  return ProcessEventsUntil(
      [&] {
        if (notifications.Count() == seen) {
          return seen > 0 && (window.geometry() == inside ||
                              notifications.SinceLast() >= kQuietAfterAnswer);
        }
        seen = notifications.Count();
        return false;
      },
      kLongestSilence);
}
#endif

// Notes when a window is asked to draw its next frame, which on Wayland comes once the compositor
// has shown the one before.
class NextFrame final : public QObject {
 public:
  explicit NextFrame(QWindow& window) : window_(window) { window_.installEventFilter(this); }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &window_ && event->type() == QEvent::UpdateRequest) came_ = true;
    return false;
  }

  bool Came() const { return came_; }

 private:
  QWindow& window_;
  bool came_ = false;
};

// A Wayland client sizes its window itself; the compositor takes the new size with the frame
// drawn at it, and asks for the next frame once it has shown that one.
bool WaitForNextFrame(QWidget& window, const QRect& inside) {
  window.setGeometry(inside);
  window.repaint();
  QWindow* handle = window.windowHandle();
  if (handle == nullptr) return true;
  NextFrame frame(*handle);
  handle->requestUpdate();
  return ProcessEventsUntil([&] { return frame.Came(); }, kLongestSilence);
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
  return window_ != nullptr && (window_->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized |
                                                          Qt::WindowFullScreen)) == 0;
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

// `frame` is what the window manager's frame adds to the size, in pixels.
bool QtWindowGeometry::SetSize(float& size, float twips, int frame) const {
  const float smallest = TwipsFromPixels(frame + kSmallestInside);
  if (twips < smallest && size <= smallest) return false;
  size = std::max(twips, smallest);
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
  // Qt keeps a widget within its minimum and maximum sizes, and window managers give a window
  // whose sizes may vary a frame of another kind (wider, with borders to resize it by), which
  // would make the window seem to grow at the start. So Qt's limits go, and the window system
  // sees a window of fixed size throughout, one size after the other.
  window_->setMinimumSize(0, 0);
  window_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  if (QWindow* handle = window_->windowHandle()) {
    handle->setMinimumSize(inside.size());
    handle->setMaximumSize(inside.size());
  }
  const QString platform = QGuiApplication::platformName();
#if QT_CONFIG(xcb)
  if (platform == QLatin1String("xcb")) return WaitForConfigureNotify(*window_, inside);
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
