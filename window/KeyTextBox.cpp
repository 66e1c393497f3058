#include "KeyTextBox.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

namespace morvane {
namespace {

constexpr qsizetype kPreviewCharacters = 200;  // more than ever fit into the box

}  // namespace

KeyTextBox::KeyTextBox(QWidget* parent) : QLineEdit(parent) {
  // Catches every other way in (menu, middle click, typing, deleting), after Qt's layout.
  connect(this, &QLineEdit::textChanged, this,
          [this](const QString& text) { ShowTextOfLength(text.size()); });
}

void KeyTextBox::setText(const QString& text) {
  HideTextBeyondLength(text.size());
  QLineEdit::setText(text);
}

void KeyTextBox::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Paste) && !isReadOnly()) {
    HideTextBeyondLength(text().size() + QGuiApplication::clipboard()->text().size());
  }
  QLineEdit::keyPressEvent(event);
}

// Only ever hides: showing again waits for textChanged, when the long text is already gone.
void KeyTextBox::HideTextBeyondLength(qsizetype length) {
  if (length > kLongestShownKey && echoMode() != NoEcho) setEchoMode(NoEcho);
}

void KeyTextBox::ShowTextOfLength(qsizetype length) {
  const EchoMode wanted = length > kLongestShownKey ? NoEcho : Normal;
  if (echoMode() != wanted) setEchoMode(wanted);
}

void KeyTextBox::paintEvent(QPaintEvent* event) {
  QLineEdit::paintEvent(event);
  if (echoMode() != NoEcho || text().isEmpty()) return;

  QStyleOptionFrame option;
  initStyleOption(&option);
  const QRect contents =
      style()->subElementRect(QStyle::SE_LineEditContents, &option, this).adjusted(2, 0, -2, 0);
  const QString length = QStringLiteral(" (%L1 characters)").arg(text().size());
  const QFontMetrics metrics = fontMetrics();
  const QString start = metrics.elidedText(text().left(kPreviewCharacters), Qt::ElideRight,
                                           contents.width() - metrics.horizontalAdvance(length));
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::Text));
  painter.drawText(contents, static_cast<int>(alignment()), start + length);
}

}  // namespace morvane
