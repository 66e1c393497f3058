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
  void NextRandoms(std::span<float> draws) override { random_.Fill(draws); }

 private:
  RandomSource random_;
};

}  // namespace morvane
