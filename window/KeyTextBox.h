#pragma once

#include <QClipboard>
#include <QLineEdit>

namespace morvane {

// A text box for keys that stays quick with a pasted text of any size.
//
// A line edit lays out its whole text on every change and measures it again on every paint, each
// cursor blink included: seconds for ten million characters, and a core kept busy. Beyond
// kLongestShownKey characters this box keeps the text out of that layout (Qt's NoEcho mode) and
// paints the frame and a preview of the text's start and length itself; text() is always the
// whole text. The box learns of every new text from a validator, which the line edit consults
// after each change, whatever its route (typing, pasting, a drop, setText), and before it lays
// the text out.
//
// A line edit also records a pasted text for undo one character at a time, seconds again for
// ten million. So the box pastes itself, by every route (the paste keys, the context menu, a
// middle click): it reads the clipboard once, where the line edit would have, and when the text
// would end up longer than kLongestShownKey, puts it in place in one step, which has no undo.
class KeyTextBox : public QLineEdit {
  Q_OBJECT

 public:
  static constexpr qsizetype kLongestShownKey = 10'000;

  explicit KeyTextBox(QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void ShowTextOfLength(qsizetype length);
  void PasteFrom(QClipboard::Mode mode);
};

}  // namespace morvane
