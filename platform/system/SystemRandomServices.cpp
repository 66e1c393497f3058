#include "SystemRandomServices.h"

#include "SystemClock.h"

namespace morvane {

float SystemRandomServices::SecondsSinceMidnight() {
  return morvane::SecondsSinceMidnight();
}

}  // namespace morvane
