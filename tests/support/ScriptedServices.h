#pragma once

// Platform services with scripted answers: draws repeat a given sequence, the clock reads a set
// time, and message boxes, clipboard contents, reseeds and the program's end are recorded instead
// of shown. The primary selection holds what a test puts there until the window clears it.

#include "FakeWindowGeometry.h"
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
  std::string clipboard;  // what the clipboard held while the box was up
};

class ScriptedServices final : public PlatformServices {
 public:
  explicit ScriptedServices(std::vector<float> draws = {0.5F}) : draws_(std::move(draws)) {}

  float SecondsSinceMidnight() override { return time_of_day; }
  void Reseed(float seed) override {
    reseeds.push_back(seed);
    draws_before_reseed.push_back(draw_count);
  }
  float NextRandom() override {
    ++draw_count;
    return draws_[(draw_count - 1) % draws_.size()];
  }

  void ShowMessageBox(MessageBoxStyle style, std::string_view prompt,
                      std::string_view title) override {
    shown_boxes.push_back({style, std::string(prompt), std::string(title), clipboard});
  }
  void SetClipboardText(std::string_view text) override {
    clipboard = text;
    ++clipboard_writes;
  }
  void ClearOwnSelection() override { selection.clear(); }
  WindowGeometry& MainWindowGeometry() override { return window; }
  void EndProgram() override { ++ends; }

  float time_of_day = 43200.25F;
  std::size_t draw_count = 0;
  std::vector<float> reseeds;
  std::vector<std::size_t> draws_before_reseed;  // draw_count at each reseed
  std::vector<ShownMessageBox> shown_boxes;
  std::string clipboard;
  int clipboard_writes = 0;
  std::string selection;  // the primary selection, when a test puts a key there
  FakeWindowGeometry window;
  int ends = 0;

 private:
  std::vector<float> draws_;
};

}  // namespace morvane::testing
