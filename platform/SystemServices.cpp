#include "SystemServices.h"

#include "SystemClock.h"

namespace morvane {

float SystemServices::SecondsSinceMidnight() {
  return morvane::SecondsSinceMidnight();
}

void SystemServices::Reseed(float seed) {
  random_.Reseed(seed);
}

float SystemServices::NextRandom() {
  return random_.Next();
}

}  // namespace morvane
