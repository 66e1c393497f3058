#include "Form1.h"

#include "ClosingAnimation.h"
#include "KeyChoices.h"
#include "KeyTextBox.h"
#include "QualityReport.h"
#include "ReportBoxText.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include <chrono>
#include <optional>
#include <string>

namespace morvane {
namespace {

// Colour 7 of the classic 16-colour palette.
const QColor kLightGrey(192, 192, 192);

void PaintGrey(QWidget* widget) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, kLightGrey);
  palette.setColor(QPalette::Button, kLightGrey);  // check boxes and buttons paint with it
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

QString ToQString(const KeyText& key) {
  return QString::fromStdString(key);
}

}  // namespace

Form1::Form1(PlatformServices& services, QWidget* parent) : QWidget(parent), services_(services) {
  setObjectName(QStringLiteral("Form1"));
  CreateControls();
  ConnectHandlers();
  Form_Load();
}

void Form1::ConnectHandlers() {
  // Signals that fire for changes from code too, never clicked or textEdited.
  connect(check1_, &QCheckBox::toggled, this, &Form1::Check1_Click);
  connect(check2_, &QCheckBox::toggled, this, &Form1::Check2_Click);
  connect(check3_, &QCheckBox::toggled, this, &Form1::Check3_Click);
  connect(check4_, &QCheckBox::toggled, this, &Form1::Check4_Click);
  connect(vscroll1_, &QScrollBar::valueChanged, this, &Form1::VScroll1_Change);
  connect(command1_, &QPushButton::clicked, this, &Form1::Command1_Click);
  connect(cmd_ok_, &QPushButton::clicked, this, &Form1::cmdOK_Click);
  connect(text1_, &QLineEdit::textChanged, this, &Form1::Text1_Change);
  // A key selected in the box to check must not outlive its text in the primary selection.
  connect(text3_, &QLineEdit::textChanged, this, [this] { services_.ClearOwnSelection(); });
  // A key copied out of a box is marked as secret on the clipboard, as the mirror's copy is.
  for (KeyTextBox* box : {text1_, text3_}) {
    connect(box, &KeyTextBox::copyRequested, this,
            [this](const QString& text) { services_.SetClipboardText(text.toStdString()); });
  }
}

void Form1::closeEvent(QCloseEvent* event) {
  event->accept();
  // The animation lets the window system run; a second close request meanwhile changes nothing.
  if (unloading_) return;
  unloading_ = true;
  Form_Unload();
}

void Form1::Form_Load() {
  for (QWidget* widget : std::initializer_list<QWidget*>{this, label1_, label2_, check1_, check2_,
                                                         check3_, check4_, command1_, cmd_ok_}) {
    PaintGrey(widget);
  }
  text2_->setText(QStringLiteral("12"));
  vscroll1_->setValue(12);
  check4_->setChecked(false);
  check3_->setChecked(true);
  check2_->setChecked(true);
  check1_->setChecked(true);
}

void Form1::Form_Unload() {
  services_.ClearOwnSelection();  // the keys go with the window
  QElapsedTimer clock;
  clock.start();
  // However the animation ends (off the screen, kept in place, out of time), the program ends
  // after it.
  RunClosingAnimation(services_.MainWindowGeometry(),
                      [&] { return std::chrono::milliseconds(clock.elapsed()); });
  services_.EndProgram();
}

void Form1::Check1_Click() {
  check4_->setChecked(false);
}

void Form1::Check2_Click() {
  check4_->setChecked(false);
}

void Form1::Check3_Click() {
  check4_->setChecked(false);
}

void Form1::Check4_Click() {
  if (!check4_->isChecked()) return;
  check1_->setChecked(false);
  check2_->setChecked(false);
  check3_->setChecked(false);
  check4_->setChecked(true);
}

void Form1::VScroll1_Change() {
  text2_->setText(QString::number(vscroll1_->value()));
  // Only the values one step outside 2 to 255 are caught: the arrows move by one.
  if (text2_->text() == QLatin1String("256")) {
    vscroll1_->setValue(255);
  } else if (text2_->text() == QLatin1String("1")) {
    vscroll1_->setValue(2);
  }
}

void Form1::Command1_Click() {
  text1_->setText(QString());
  RandomizeFromTimer(services_.Random());
  // No key can be made for a length that is no number from 0 to 255. That step is skipped and the
  // rest go on: Text1 stays empty, and the report on it is the requirements error.
  const std::optional<std::uint8_t> length = LengthFromText(text2_->text().toStdString());
  const std::optional<ClassCode> code =
      ClassCodeForBoxes(check1_->isChecked(), check2_->isChecked(), check3_->isChecked());
  if (code && length) text1_->setText(ToQString(MakeKey(services_.Random(), *length, *code)));
  if (!check1_->isChecked() && !check2_->isChecked() && !check3_->isChecked() &&
      !check4_->isChecked()) {
    services_.ShowMessageBox(MessageBoxStyle::Critical, "Are You Sure You Want A Password?? :) ",
                             "Error");
    return;
  }
  if (check4_->isChecked() && length) {
    text1_->setText(ToQString(MakeKey(services_.Random(), *length, ClassCode::Wide)));
  }
  ShowKeyQuality();
  text1_->setFocus();
}

void Form1::cmdOK_Click() {
  if (text3_->text().isEmpty()) {
    services_.ShowMessageBox(MessageBoxStyle::Critical, " Can Not Check Nothing ",
                             "Morvane (Error)");
    text3_->setFocus();
    return;
  }
  text1_->setText(text3_->text());
  ShowKeyQuality();
  text1_->setText(QString());
  text3_->setText(QString());
  text3_->setFocus();
}

void Form1::Text1_Change() {
  services_.SetClipboardText(text1_->text().toStdString());
  // The key that the box showed is gone; a selected part of it must not stay behind.
  services_.ClearOwnSelection();
}

void Form1::ShowKeyQuality() {
  const std::string key = text1_->text().toStdString();
  const QualityReport report = ReportForScore(IsolatedKey(key), CheckKey(key));
  services_.ShowMessageBox(report.box, ShortenedForDisplay(report.prompt), report.title);
}

}  // namespace morvane
