#pragma once

#include <QLineEdit>

namespace morvane {

// A text box for keys that stays quick with a pasted text of any size.
//
// A line edit lays out and draws its whole text on every change and every paint, which takes
// about a second for a million characters. Beyond kLongestShownKey characters this box keeps
// the text away from that layout (Qt's NoEcho mode) and paints a preview of its start and its
// length instead; text() is always the whole text.
class KeyTextBox : public QLineEdit {
  Q_OBJECT

 public:
  static constexpr qsizetype kLongestShownKey = 10'000;

  explicit KeyTextBox(QWidget* parent = nullptr);

  // Hides QLineEdit::setText so that the display is chosen before Qt lays the text out.
  void setText(const QString& text);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void HideTextBeyondLength(qsizetype length);
  void ShowTextOfLength(qsizetype length);
};

}  // namespace morvane
