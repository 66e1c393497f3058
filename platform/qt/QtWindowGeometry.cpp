#include "QtWindowGeometry.h"

#include "Twips.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace morvane {
namespace {

int PixelsFromTwips(float twips) {
  return static_cast<int>(std::lround(twips / static_cast<float>(kTwipsPerPixel)));
}

float TwipsFromPixels(int pixels) {
  return static_cast<float>(pixels * kTwipsPerPixel);
}

// A window of no width or height is hidden by Qt and unmapped by X, so the smallest window that
// still shows is one pixel inside its frame.
constexpr int kSmallestInside = 1;

}  // namespace

void QtWindowGeometry::SetWindow(QWidget& window) {
  window_ = &window;
  wanted_.reset();
}

QtWindowGeometry::Outer& QtWindowGeometry::Wanted() const {
  if (!wanted_) {
    const QRect frame = window_ == nullptr ? QRect() : window_->frameGeometry();
    wanted_ = Outer{TwipsFromPixels(frame.top()), TwipsFromPixels(frame.left()),
                    TwipsFromPixels(frame.width()), TwipsFromPixels(frame.height())};
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

bool QtWindowGeometry::CanMove() const {
  if (window_ == nullptr) return false;
  // A Wayland client cannot place its own window.
  if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) return false;
  return (window_->windowState() &
          (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) == 0;
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
  if (window_ == nullptr) return false;
  const int frame = window_->frameGeometry().width() - window_->width();
  const float smallest = TwipsFromPixels(frame + kSmallestInside);
  float& width = Wanted().width;
  if (twips < smallest && width <= smallest) return false;
  width = std::max(twips, smallest);
  return true;
}

bool QtWindowGeometry::SetHeight(float twips) {
  if (window_ == nullptr) return false;
  const int frame = window_->frameGeometry().height() - window_->height();
  const float smallest = TwipsFromPixels(frame + kSmallestInside);
  float& height = Wanted().height;
  if (twips < smallest && height <= smallest) return false;
  height = std::max(twips, smallest);
  return true;
}

float QtWindowGeometry::ScreenWidth() const {
  const QScreen* screen = window_ == nullptr ? nullptr : window_->screen();
  return screen == nullptr ? 0.0F : TwipsFromPixels(screen->geometry().width());
}

// One request for all four values: the window moves by its frame's corner (as move() does for a
// top-level widget) and is resized inside its frame.
void QtWindowGeometry::ShowChanges() {
  if (window_ != nullptr && wanted_) {
    const QRect frame = window_->frameGeometry();
    const QRect inside = window_->geometry();
    const QPoint corner(PixelsFromTwips(wanted_->left), PixelsFromTwips(wanted_->top));
    const QSize size(PixelsFromTwips(wanted_->width) - (frame.width() - inside.width()),
                     PixelsFromTwips(wanted_->height) - (frame.height() - inside.height()));
    window_->setGeometry(QRect(corner + (inside.topLeft() - frame.topLeft()),
                               size.expandedTo(QSize(kSmallestInside, kSmallestInside))));
  }
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace morvane
