#pragma once

#include "PlatformServices.h"
#include "RandomSource.h"

namespace morvane {

// The production services for programs without a window: the system clock and the operating
// system's random generator.
class SystemServices final : public RandomServices {
 public:
  float SecondsSinceMidnight() override;
  void Reseed(float seed) override;
  float NextRandom() override;

 private:
  RandomSource random_;
};

}  // namespace morvane
