#pragma once

// A random service with scripted answers: draws repeat a given sequence and the clock reads a set
// time; reseeds are recorded.

#include "PlatformServices.h"

#include <cstddef>
#include <utility>
#include <vector>

namespace morvane::testing {

class ScriptedRandom final : public RandomServices {
 public:
  explicit ScriptedRandom(std::vector<float> draws = {0.5F}) : draws_(std::move(draws)) {}

  float SecondsSinceMidnight() override { return time_of_day; }
  void Reseed(float seed) override {
    reseeds.push_back(seed);
    draws_before_reseed.push_back(draw_count);
  }
  float NextRandom() override {
    ++draw_count;
    return draws_[(draw_count - 1) % draws_.size()];
  }

  float time_of_day = 43200.25F;
  std::size_t draw_count = 0;
  std::vector<float> reseeds;
  std::vector<std::size_t> draws_before_reseed;  // draw_count at each reseed

 private:
  std::vector<float> draws_;
};

}  // namespace morvane::testing
