#pragma once

// Platform services with scripted answers: draws repeat a given sequence, the clock reads a set
// time, and message boxes and reseeds are recorded instead of shown.

#include "PlatformServices.h"

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace morvane::testing {

struct ShownMessageBox {
  MessageBoxStyle style;
  std::string prompt;
  std::string title;
};

class ScriptedServices : public PlatformServices {
 public:
  explicit ScriptedServices(std::vector<float> draws = {0.5F}) : draws_(std::move(draws)) {}

  void ShowMessageBox(MessageBoxStyle style, std::string_view prompt,
                      std::string_view title) override {
    shown_boxes.push_back({style, std::string(prompt), std::string(title)});
  }
  float SecondsSinceMidnight() override { return time_of_day; }
  void Reseed(float seed) override { reseeds.push_back(seed); }
  float NextRandom() override {
    ++draw_count;
    return draws_[(draw_count - 1) % draws_.size()];
  }

  float time_of_day = 43200.25F;
  std::size_t draw_count = 0;
  std::vector<float> reseeds;
  std::vector<ShownMessageBox> shown_boxes;

 private:
  std::vector<float> draws_;
};

}  // namespace morvane::testing
