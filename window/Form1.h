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
  explicit Form1(PlatformServices& services, QWidget* parent = nullptr);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateControls();
  void ConnectHandlers();

  void Form_Load();
  void Form_Unload();
  void Check1_Click();
  void Check2_Click();
  void Check3_Click();
  void Check4_Click();
  void VScroll1_Change();
  void Command1_Click();
  void cmdOK_Click();
  void Text1_Change();
  void ShowKeyQuality();

  PlatformServices& services_;
  bool unloading_ = false;

  KeyTextBox* text3_ = nullptr;
  QPushButton* cmd_ok_ = nullptr;
  KeyTextBox* text1_ = nullptr;
  QPushButton* command1_ = nullptr;
  QCheckBox* check1_ = nullptr;
  QCheckBox* check3_ = nullptr;
  QLabel* label1_ = nullptr;
  QCheckBox* check2_ = nullptr;
  QLineEdit* text2_ = nullptr;
  QScrollBar* vscroll1_ = nullptr;
  QCheckBox* check4_ = nullptr;
  QLabel* label2_ = nullptr;
};

}  // namespace morvane
