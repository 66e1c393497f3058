#include "KeyTextBox.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QValidator>

#include <functional>
#include <utility>

namespace morvane {
namespace {

constexpr qsizetype kPreviewCharacters = 200;  // more than ever fit into the box

// Accepts every text, and tells the box its length first.
class LengthWatch final : public QValidator {
 public:
  LengthWatch(QObject* parent, std::function<void(qsizetype)> on_length)
      : QValidator(parent), on_length_(std::move(on_length)) {}

  State validate(QString& text, int& /*position*/) const override {
    on_length_(text.size());
    return Acceptable;
  }

 private:
  std::function<void(qsizetype)> on_length_;
};

// The line edit's entry for a standard key in its context menu, found by the shortcut written
// beside it (Qt 6.5 also names it).
QAction* MenuEntry(const QMenu& menu, QKeySequence::StandardKey key, QLatin1String name) {
  const QString shortcut = QLatin1Char('\t') + QKeySequence(key).toString(QKeySequence::NativeText);
  for (QAction* action : menu.actions()) {
    if (action->objectName() == name || action->text().endsWith(shortcut)) return action;
  }
  return nullptr;
}

// Ctrl+Y redoes in most text boxes, whatever the desktop's own key for it.
bool IsRedo(const QKeyEvent& event) {
  return event.matches(QKeySequence::Redo) ||
         (event.key() == Qt::Key_Y && event.modifiers() == Qt::ControlModifier);
}

}  // namespace

KeyTextBox::KeyTextBox(QWidget* parent) : QLineEdit(parent) {
  setValidator(new LengthWatch(this, [this](qsizetype length) { ShowTextOfLength(length); }));
  setDragEnabled(false);  // a drag would carry the key off unmarked
  connect(this, &QLineEdit::textEdited, this, [this] { edited_ = true; });
  connect(this, &QLineEdit::textChanged, this, &KeyTextBox::ForgetStepsUnlessEdited);
}

void KeyTextBox::ShowTextOfLength(qsizetype length) {
  const EchoMode wanted = length > kLongestShownKey ? NoEcho : Normal;
  if (echoMode() != wanted) setEchoMode(wanted);
}

// A text set from code is a new start: the keys held for undo go, as the line edit's own undo
// record does.
void KeyTextBox::ForgetStepsUnlessEdited() {
  if (!edited_) {
    undo_steps_.clear();
    redo_steps_.clear();
  }
  edited_ = false;
}

// Undo and redo put their texts as edits, which keep the steps.
void KeyTextBox::PutText(const QString& text, int cursor) {
  edited_ = true;
  setText(text);
  edited_ = false;
  setCursorPosition(cursor);
}

// The line edit ends its undo step whenever the cursor moves; nothing else outside it does.
void KeyTextBox::SeparateUndoStep() {
  if (hasSelectedText() || text().isEmpty()) return;
  const int cursor = cursorPosition();
  setCursorPosition(cursor > 0 ? cursor - 1 : cursor + 1);
  setCursorPosition(cursor);
}

void KeyTextBox::PasteFrom(QClipboard::Mode mode) {
  const QString pasted = QGuiApplication::clipboard()->text(mode);
  const bool replacing = hasSelectedText();
  if (pasted.isEmpty() && !replacing) return;
  const int start = replacing ? selectionStart() : cursorPosition();
  const int replaced = replacing ? selectionLength() : 0;
  if (text().size() - replaced + pasted.size() <= kLongestShownKey) {
    SeparateUndoStep();
    insert(pasted);  // the line edit's own way, with undo
    SeparateUndoStep();
    redo_steps_.clear();
    return;
  }
  QString whole = text();
  whole.replace(start, replaced, pasted);
  Step step{text(), cursorPosition(), whole, static_cast<int>(start + pasted.size())};
  PutText(step.after, step.cursor_after);
  undo_steps_.push_back(std::move(step));
  redo_steps_.clear();
}

// The line edit's own undo empties a box in NoEcho mode, as for a password.
bool KeyTextBox::LineEditUndoes() const {
  return echoMode() == Normal && isUndoAvailable();
}

bool KeyTextBox::OwnRedoNext() const {
  return !redo_steps_.empty() && text() == redo_steps_.back().before;
}

bool KeyTextBox::CanUndo() const {
  return !isReadOnly() && (LineEditUndoes() || !undo_steps_.empty());
}

bool KeyTextBox::CanRedo() const {
  return !isReadOnly() && (OwnRedoNext() || isRedoAvailable());
}

void KeyTextBox::UndoStep() {
  if (isReadOnly()) return;
  if (LineEditUndoes()) {
    undo();
  } else if (!undo_steps_.empty()) {
    // A long text's edits since its paste go with it.
    Step step = std::move(undo_steps_.back());
    undo_steps_.pop_back();
    step.after = text();
    step.cursor_after = cursorPosition();
    PutText(step.before, step.cursor_before);
    redo_steps_.push_back(std::move(step));
  }
}

void KeyTextBox::RedoStep() {
  if (isReadOnly()) return;
  if (OwnRedoNext()) {
    Step step = std::move(redo_steps_.back());
    redo_steps_.pop_back();
    PutText(step.after, step.cursor_after);
    undo_steps_.push_back(std::move(step));
  } else {
    redo();
  }
}

void KeyTextBox::CopySelection() {
  if (hasSelectedText()) emit copyRequested(selectedText());
}

void KeyTextBox::CutSelection() {
  if (isReadOnly() || !hasSelectedText()) return;
  CopySelection();
  del();  // removes the selection, as an undo step
}

void KeyTextBox::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Paste) && !isReadOnly()) {
    PasteFrom(QClipboard::Clipboard);
  } else if (event->matches(QKeySequence::Copy)) {
    CopySelection();
  } else if (event->matches(QKeySequence::Cut)) {
    CutSelection();
  } else if (event->matches(QKeySequence::Undo)) {
    UndoStep();
  } else if (IsRedo(*event)) {
    RedoStep();
  } else {
    QLineEdit::keyPressEvent(event);
    return;
  }
  event->accept();
}

// The press before it has put the cursor where the middle button was clicked.
void KeyTextBox::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::MiddleButton && !isReadOnly() &&
      QGuiApplication::clipboard()->supportsSelection()) {
    deselect();
    PasteFrom(QClipboard::Selection);
    event->accept();
    return;
  }
  QLineEdit::mouseReleaseEvent(event);
}

// The line edit's own menu, with its clipboard and undo entries doing what the keys do here.
void KeyTextBox::contextMenuEvent(QContextMenuEvent* event) {
  QMenu* menu = createStandardContextMenu();
  menu->setAttribute(Qt::WA_DeleteOnClose);
  const auto take_over = [&](QKeySequence::StandardKey key, const char* name, bool enabled,
                             void (KeyTextBox::*what)()) {
    if (QAction* entry = MenuEntry(*menu, key, QLatin1String(name))) {
      entry->disconnect(this);  // the line edit's own slot
      entry->setEnabled(enabled);
      connect(entry, &QAction::triggered, this, what);
    }
  };
  const bool selected = hasSelectedText();
  take_over(QKeySequence::Undo, "edit-undo", CanUndo(), &KeyTextBox::UndoStep);
  take_over(QKeySequence::Redo, "edit-redo", CanRedo(), &KeyTextBox::RedoStep);
  take_over(QKeySequence::Cut, "edit-cut", selected && !isReadOnly(), &KeyTextBox::CutSelection);
  take_over(QKeySequence::Copy, "edit-copy", selected, &KeyTextBox::CopySelection);
  if (QAction* paste = MenuEntry(*menu, QKeySequence::Paste, QLatin1String("edit-paste"))) {
    paste->disconnect(this);
    connect(paste, &QAction::triggered, this, [this] { PasteFrom(QClipboard::Clipboard); });
  }
  menu->popup(event->globalPos());
}

void KeyTextBox::paintEvent(QPaintEvent* event) {
  if (echoMode() != NoEcho) {
    QLineEdit::paintEvent(event);
    return;
  }
  // Not QLineEdit's own painting: it measures the whole text, hidden or not.
  QPainter painter(this);
  QStyleOptionFrame option;
  initStyleOption(&option);
  style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
  const QRect contents =
      style()->subElementRect(QStyle::SE_LineEditContents, &option, this).adjusted(2, 0, -2, 0);
  const QString length = QStringLiteral(" (%L1 characters)").arg(text().size());
  const QFontMetrics metrics = fontMetrics();
  const QString start = metrics.elidedText(text().left(kPreviewCharacters), Qt::ElideRight,
                                           contents.width() - metrics.horizontalAdvance(length));
  painter.setPen(palette().color(QPalette::Text));
  painter.drawText(contents, static_cast<int>(alignment()), start + length);
}

}  // namespace morvane
