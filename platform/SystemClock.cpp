#include "SystemClock.h"

#include <QTime>

namespace morvane {

float SecondsSinceMidnight() {
  return static_cast<float>(QTime::currentTime().msecsSinceStartOfDay()) / 1000.0F;
}

}  // namespace morvane
