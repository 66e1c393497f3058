#include "QtWindowGeometry.h"

#include "Twips.h"

#include <QCoreApplication>
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

}  // namespace

float QtWindowGeometry::Top() const {
  return window_ == nullptr ? 0.0F : TwipsFromPixels(window_->frameGeometry().top());
}

float QtWindowGeometry::Left() const {
  return window_ == nullptr ? 0.0F : TwipsFromPixels(window_->frameGeometry().left());
}

float QtWindowGeometry::Width() const {
  return window_ == nullptr ? 0.0F : TwipsFromPixels(window_->frameGeometry().width());
}

float QtWindowGeometry::Height() const {
  return window_ == nullptr ? 0.0F : TwipsFromPixels(window_->frameGeometry().height());
}

bool QtWindowGeometry::SetTop(float twips) {
  if (window_ == nullptr) return false;
  window_->move(window_->frameGeometry().left(), PixelsFromTwips(twips));
  return true;
}

bool QtWindowGeometry::SetLeft(float twips) {
  if (window_ == nullptr) return false;
  window_->move(PixelsFromTwips(twips), window_->frameGeometry().top());
  return true;
}

// The outer size includes the frame; resize() takes the inner size, so carry the difference.
bool QtWindowGeometry::SetWidth(float twips) {
  if (window_ == nullptr) return false;
  const int frame = window_->frameGeometry().width() - window_->width();
  window_->resize(std::max(0, PixelsFromTwips(twips) - frame), window_->height());
  return true;
}

bool QtWindowGeometry::SetHeight(float twips) {
  if (window_ == nullptr) return false;
  const int frame = window_->frameGeometry().height() - window_->height();
  window_->resize(window_->width(), std::max(0, PixelsFromTwips(twips) - frame));
  return true;
}

float QtWindowGeometry::ScreenWidth() const {
  const QScreen* screen = window_ == nullptr ? nullptr : window_->screen();
  return screen == nullptr ? 0.0F : TwipsFromPixels(screen->geometry().width());
}

void QtWindowGeometry::ShowChanges() {
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace morvane
