#pragma once

#include "PlatformServices.h"
#include "RandomSource.h"

namespace morvane {

// The production random service of both programs: the system clock and the operating system's
// random generator.
class SystemRandomServices final : public RandomServices {
 public:
  float SecondsSinceMidnight() override;
  void Reseed(float seed) override { random_.Reseed(seed); }
  float NextRandom() override { return random_.Next(); }
  void NextRandoms(std::span<float> draws) override { random_.Fill(draws); }

 private:
  RandomSource random_;
};

}  // namespace morvane
