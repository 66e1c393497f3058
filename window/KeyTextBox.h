#pragma once

#include <QClipboard>
#include <QLineEdit>

#include <vector>

namespace morvane {

// A text box for keys that stays quick with a pasted text of any size, and lets no key out to the
// clipboard unmarked.
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
// would end up longer than kLongestShownKey, puts it in place in one step and keeps the texts
// before and after for undo and redo itself. Either way a paste is an undo step of its own.
//
// The line edit would copy and cut straight to the clipboard, unmarked, so the box asks for
// every copy (the copy and cut keys, the context menu) with copyRequested(); the window puts the
// text on the clipboard marked as secret. No drag can start from the box.
class KeyTextBox : public QLineEdit {
  Q_OBJECT

 public:
  static constexpr qsizetype kLongestShownKey = 10'000;

  explicit KeyTextBox(QWidget* parent = nullptr);

 signals:
  // The user copied `text` out of the box.
  void copyRequested(const QString& text);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  // A change that the line edit's own undo record does not hold.
  struct Step {
    QString before;
    int cursor_before = 0;
    QString after;
    int cursor_after = 0;
  };

  void ShowTextOfLength(qsizetype length);
  void PasteFrom(QClipboard::Mode mode);
  void CopySelection();
  void CutSelection();
  void UndoStep();
  void RedoStep();
  bool LineEditUndoes() const;
  bool OwnRedoNext() const;
  bool CanUndo() const;
  bool CanRedo() const;
  void SeparateUndoStep();
  void PutText(const QString& text, int cursor);
  void ForgetStepsUnlessEdited();

  std::vector<Step> undo_steps_;
  std::vector<Step> redo_steps_;
  bool edited_ = false;
};

}  // namespace morvane
