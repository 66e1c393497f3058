#pragma once

#include "PlatformServices.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace morvane {

class KeyTextBox;

// The program's one window: generates keys, rates them and mirrors the output box to the
// clipboard. Handlers hang on signals that also fire for changes made from code, so a value set
// inside a handler runs that control's handler at once, nested.
class Form1 : public QWidget {
  Q_OBJECT

 public:
  // Builds the window and runs Form_Load; `services` must outlive it.
  explicit Form1(PlatformServices& services, QWidget* parent = nullptr);

 protected:
  void closeEvent(QCloseEvent* event) override;  // runs Form_Unload once, however often asked

 private:
  void CreateControls();   // places the controls, with captions, fonts, tips and tab order
  void ConnectHandlers();  // ties each handler to its control's signal

  void Form_Load();        // start-up state: grey, length 12, the three class boxes checked
  void Form_Unload();      // the closing animation, then the end of the program
  void Check1_Click();     // upper case chosen or not: the ASCII box goes off
  void Check2_Click();     // digits chosen or not: the ASCII box goes off
  void Check3_Click();     // lower case chosen or not: the ASCII box goes off
  void Check4_Click();     // the ASCII box checked: the three class boxes go off
  void VScroll1_Change();  // the stepper moved: writes the length, kept within 2 to 255
  void Command1_Click();   // "Generate Password": a new key, shown, copied and rated
  void cmdOK_Click();      // the check button: rates the key typed into Text3, then clears both
  void Text1_Change();     // mirrors the output box to the clipboard
  void ShowKeyQuality();   // the report box (or the requirements error) on Text1's key

  PlatformServices& services_;  // message boxes, clipboard, random draws, geometry, program end
  bool unloading_ = false;      // the closing animation has begun

  KeyTextBox* text3_ = nullptr;      // Text3: the key to check, typed or pasted
  QPushButton* cmd_ok_ = nullptr;    // cmdOK: the small check button beside Text3
  KeyTextBox* text1_ = nullptr;      // Text1: the output box, whose key is on the clipboard
  QPushButton* command1_ = nullptr;  // Command1: "Generate Password"
  QCheckBox* check1_ = nullptr;      // Check1: "Uppercase A-Z"
  QCheckBox* check3_ = nullptr;      // Check3: "Lowercase a-z"
  QLabel* label1_ = nullptr;         // Label1: "Length Of Password"
  QCheckBox* check2_ = nullptr;      // Check2: "Numbers 0-9"
  QLineEdit* text2_ = nullptr;       // Text2: the length, read-only, set by the stepper
  QScrollBar* vscroll1_ = nullptr;   // VScroll1: the length stepper
  QCheckBox* check4_ = nullptr;      // Check4: "ASCII Characters", the wide single-byte set
  QLabel* label2_ = nullptr;         // Label2: the bottom strip; its tip gives the version
};

}  // namespace morvane
