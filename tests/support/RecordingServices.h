#pragma once

// The window's services for tests: message boxes, clipboard contents and the program's end are
// recorded instead of shown, the window is a FakeWindowGeometry, and keys come from a
// ScriptedRandom. The primary selection holds what a test puts there until the window clears it.

#include "FakeWindowGeometry.h"
#include "PlatformServices.h"
#include "ScriptedRandom.h"

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

class RecordingServices final : public PlatformServices {
 public:
  explicit RecordingServices(std::vector<float> draws = {0.5F}) : random(std::move(draws)) {}

  RandomServices& Random() override { return random; }
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

  ScriptedRandom random;
  std::vector<ShownMessageBox> shown_boxes;
  std::string clipboard;
  int clipboard_writes = 0;
  std::string selection;  // the primary selection, when a test puts a key there
  FakeWindowGeometry window;
  int ends = 0;
};

}  // namespace morvane::testing
