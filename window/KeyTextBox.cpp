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

// The line edit's Paste entry, found by the shortcut written beside it (Qt 6.5 also names it).
QAction* PasteEntry(const QMenu& menu) {
  const QString shortcut =
      QLatin1Char('\t') + QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText);
  for (QAction* action : menu.actions()) {
    if (action->objectName() == QLatin1String("edit-paste") || action->text().endsWith(shortcut)) {
      return action;
    }
  }
  return nullptr;
}

}  // namespace

KeyTextBox::KeyTextBox(QWidget* parent) : QLineEdit(parent) {
  setValidator(new LengthWatch(this, [this](qsizetype length) { ShowTextOfLength(length); }));
}

void KeyTextBox::ShowTextOfLength(qsizetype length) {
  const EchoMode wanted = length > kLongestShownKey ? NoEcho : Normal;
  if (echoMode() != wanted) setEchoMode(wanted);
}

void KeyTextBox::PasteFrom(QClipboard::Mode mode) {
  const QString pasted = QGuiApplication::clipboard()->text(mode);
  const bool replacing = hasSelectedText();
  const int start = replacing ? selectionStart() : cursorPosition();
  const int replaced = replacing ? selectionLength() : 0;
  if (text().size() - replaced + pasted.size() <= kLongestShownKey) {
    insert(pasted);  // the line edit's own way, with undo
    return;
  }
  QString whole = text();
  whole.replace(start, replaced, pasted);
  setText(whole);
  setCursorPosition(static_cast<int>(start + pasted.size()));
}

void KeyTextBox::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Paste) && !isReadOnly()) {
    PasteFrom(QClipboard::Clipboard);
    event->accept();
    return;
  }
  QLineEdit::keyPressEvent(event);
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

void KeyTextBox::contextMenuEvent(QContextMenuEvent* event) {
  QMenu* menu = createStandardContextMenu();
  menu->setAttribute(Qt::WA_DeleteOnClose);
  if (QAction* paste = PasteEntry(*menu)) {
    paste->disconnect(this);  // the line edit's own paste
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
