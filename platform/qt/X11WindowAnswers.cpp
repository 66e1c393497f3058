#include "X11WindowAnswers.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>

#if QT_CONFIG(xcb)
#include <xcb/xcb.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#endif

namespace morvane {

#if QT_CONFIG(xcb)
namespace {

using std::chrono::milliseconds;

// How long a change may go unanswered before the window system is taken to have refused it.
// Window managers answer in a few milliseconds; the margin is for a loaded machine.
constexpr milliseconds kLongestSilence{120};
// A window manager may answer one request in several notifications (the move, the resize, the
// frame); once it has been quiet this long after one, it has said all it will.
constexpr milliseconds kQuietAfterAnswer{15};

xcb_connection_t* Connection() {
  const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 == nullptr ? nullptr : x11->connection();
}

// A reply from libxcb, which allocates it with malloc and leaves it to the caller to free.
struct FreeReply {
  void operator()(void* reply) const { std::free(reply); }  // NOLINT(cppcoreguidelines-no-malloc)
};
template <typename Reply>
using XcbReply = std::unique_ptr<Reply, FreeReply>;

// The window manager's outermost frame around `window`, or none when the window is not framed.
std::optional<xcb_window_t> FrameOf(xcb_connection_t* connection, xcb_window_t window) {
  for (xcb_window_t child = window;;) {
    const XcbReply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(connection, xcb_query_tree(connection, child), nullptr));
    if (!tree) return std::nullopt;
    if (tree->parent == tree->root || tree->parent == XCB_NONE) {
      if (child == window) return std::nullopt;
      return child;
    }
    child = tree->parent;
  }
}

std::optional<QPoint> PositionOf(xcb_connection_t* connection, xcb_window_t window) {
  const XcbReply<xcb_get_geometry_reply_t> geometry(
      xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr));
  if (!geometry) return std::nullopt;
  return QPoint(geometry->x, geometry->y);
}

// The ConfigureNotify events that the X server sends for a window and its frame, whether they
// change anything or not.
class Answers final : public QAbstractNativeEventFilter {
 public:
  Answers(xcb_window_t window, std::optional<xcb_window_t> frame) : window_(window), frame_(frame) {
    QCoreApplication::instance()->installNativeEventFilter(this);
  }
  ~Answers() override { QCoreApplication::instance()->removeNativeEventFilter(this); }
  Answers(const Answers&) = delete;
  Answers& operator=(const Answers&) = delete;

  bool nativeEventFilter(const QByteArray& type, void* message, qintptr* /*result*/) override {
    if (type != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    constexpr std::uint8_t kSentByAClient = 0x80;  // the window manager's synthetic answers
    if ((event->response_type & ~kSentByAClient) != XCB_CONFIGURE_NOTIFY) return false;
    const auto* configure = reinterpret_cast<const xcb_configure_notify_event_t*>(event);
    if (configure->window == window_) {
      ++count_;
      since_last_.start();
    } else if (frame_ && configure->window == *frame_) {
      frame_position_ = QPoint(configure->x, configure->y);  // a frame's parent is the root
      ++count_;
      since_last_.start();
    }
    return false;
  }

  int Count() const { return count_; }
  milliseconds SinceLast() const { return milliseconds(since_last_.elapsed()); }
  std::optional<QPoint> FramePosition() const { return frame_position_; }

 private:
  xcb_window_t window_;
  std::optional<xcb_window_t> frame_;
  int count_ = 0;
  QElapsedTimer since_last_;
  std::optional<QPoint> frame_position_;
};

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

}  // namespace

bool MoveResizeAndWaitOnX11(QWidget& window, const QRect& inside) {
  xcb_connection_t* connection = Connection();
  if (connection == nullptr) {
    window.setGeometry(inside);
    return true;
  }
  const auto id = static_cast<xcb_window_t>(window.winId());
  const std::optional<xcb_window_t> frame = FrameOf(connection, id);
  // The frame moves as far as the window inside it.
  std::optional<QPoint> frame_wanted;
  if (frame) {
    const std::uint32_t events = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, *frame, XCB_CW_EVENT_MASK, &events);
    if (const std::optional<QPoint> at = PositionOf(connection, *frame)) {
      frame_wanted = *at + (inside.topLeft() - window.geometry().topLeft());
    }
  }
  Answers answers(id, frame);
  window.setGeometry(inside);
  // Qt takes the window manager's answer into the widget's geometry while it handles the event,
  // after the filter has seen it, so an answer is judged one round of events after it came.
  int seen = 0;
  return ProcessEventsUntil(
      [&] {
        if (answers.Count() != seen) {
          seen = answers.Count();
          return false;
        }
        if (seen == 0) return false;
        // Once the window has its geometry, its frame follows, however loaded the machine.
        if (window.geometry() == inside) {
          return !frame_wanted || answers.FramePosition() == frame_wanted;
        }
        return answers.SinceLast() >= kQuietAfterAnswer;
      },
      kLongestSilence);
}

#endif

}  // namespace morvane
