// The window's controls: geometry, captions, fonts, colours and tab order.
#include "Form1.h"

#include "KeyTextBox.h"
#include "MorvaneVersion.h"
#include "Twips.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleFactory>

#include <limits>

namespace morvane {
namespace {

QRect FromTwips(int left, int top, int width, int height) {
  return {left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel,
          height / kTwipsPerPixel};
}

QFont CourierNew(qreal points, bool bold) {
  QFont font(QStringLiteral("Courier New"));
  font.setStyleHint(QFont::TypeWriter);  // falls back to a metric-compatible monospace
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}

// The classic dialog font, or the nearest one with the same metrics, so captions fit their boxes.
QFont DialogFont() {
  QFont font;
  font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                    QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(7.5);  // Arial runs wider than the classic bitmap font at 8 points
  return font;
}

template <typename Control>
Control* Place(QWidget* form, const char* name, QRect geometry) {
  auto* control = new Control(form);
  control->setObjectName(QString::fromLatin1(name));
  control->setGeometry(geometry);
  return control;
}

template <typename Box = QLineEdit>
Box* MakeTextBox(QWidget* form, const char* name, QRect geometry, const QFont& font) {
  auto* box = Place<Box>(form, name, geometry);
  box->setFont(font);
  box->setAlignment(Qt::AlignCenter);
  return box;
}

QCheckBox* MakeCheckBox(QWidget* form, const char* name, QRect geometry, const QString& caption) {
  auto* box = Place<QCheckBox>(form, name, geometry);
  box->setText(caption);
  return box;
}

}  // namespace

void Form1::CreateControls() {
  setWindowTitle(QStringLiteral("Morvane & Generator"));
  setFixedSize(5175 / kTwipsPerPixel, 3165 / kTwipsPerPixel);
  setFont(DialogFont());

  text3_ = MakeTextBox<KeyTextBox>(this, "Text3", FromTwips(240, 240, 4095, 375),
                                   CourierNew(9.75, false));
  // Keys of any length: Qt would otherwise cut a pasted text at 32,767 characters.
  text3_->setMaxLength(std::numeric_limits<int>::max());
  text3_->setAccessibleName(QStringLiteral("Key to check"));
  text3_->setAccessibleDescription(
      QStringLiteral("Type or paste a key here, then press the check button beside it"));

  cmd_ok_ = Place<QPushButton>(this, "cmdOK", FromTwips(4440, 240, 495, 375));
  cmd_ok_->setToolTip(QStringLiteral(" Morvane "));
  cmd_ok_->setAccessibleName(QStringLiteral("Check key"));
  cmd_ok_->setAccessibleDescription(QStringLiteral("Rates the key typed into the box beside it"));

  text1_ = MakeTextBox<KeyTextBox>(this, "Text1", FromTwips(240, 720, 4095, 375),
                                   CourierNew(9.75, false));
  text1_->setReadOnly(true);
  text1_->setMaxLength(std::numeric_limits<int>::max());
  text1_->setToolTip(QStringLiteral("Click To Copy To Clipboard"));
  text1_->setAccessibleName(QStringLiteral("Key"));
  text1_->setAccessibleDescription(
      QStringLiteral("The generated or checked key; it is also on the clipboard"));

  command1_ = Place<QPushButton>(this, "Command1", FromTwips(240, 1320, 1815, 375));
  command1_->setText(QStringLiteral("Generate Password"));

  check1_ = MakeCheckBox(this, "Check1", FromTwips(2520, 1305, 1455, 375),
                         QStringLiteral("Uppercase A-Z"));
  check3_ = MakeCheckBox(this, "Check3", FromTwips(2520, 1695, 1455, 375),
                         QStringLiteral("Lowercase a-z"));

  label1_ = Place<QLabel>(this, "Label1", FromTwips(360, 2040, 1815, 375));
  label1_->setText(QStringLiteral("Length Of Password"));
  label1_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

  check2_ =
      MakeCheckBox(this, "Check2", FromTwips(2520, 2100, 1215, 255), QStringLiteral("Numbers 0-9"));

  text2_ = MakeTextBox(this, "Text2", FromTwips(480, 2400, 615, 450), CourierNew(14.25, true));
  text2_->setReadOnly(true);
  text2_->setAccessibleName(QStringLiteral("Length"));
  text2_->setAccessibleDescription(QStringLiteral("The length of the key to generate"));

  vscroll1_ = Place<QScrollBar>(this, "VScroll1", FromTwips(1200, 2400, 735, 450));
  vscroll1_->setOrientation(Qt::Vertical);
  vscroll1_->setRange(0, 32767);
  // A page step of 1 also keeps a wheel notch at exactly one step.
  vscroll1_->setSingleStep(1);
  vscroll1_->setPageStep(1);
  vscroll1_->setFocusPolicy(Qt::StrongFocus);  // it is in the tab order
  // Its menu's "Top" and "Bottom" would jump to 0 and 32767.
  vscroll1_->setContextMenuPolicy(Qt::NoContextMenu);
  vscroll1_->setAccessibleName(QStringLiteral("Length stepper"));
  vscroll1_->setAccessibleDescription(
      QStringLiteral("The lower arrow adds one to the length, the upper arrow takes one away"));

  check4_ = MakeCheckBox(this, "Check4", FromTwips(2520, 2400, 1695, 375),
                         QStringLiteral("ASCII Characters"));

  label2_ = Place<QLabel>(this, "Label2", FromTwips(0, 2880, 5175, 255));
  label2_->setToolTip(QStringLiteral("Morvane & Generator " MORVANE_VERSION));

  // The classic look: push buttons with a flat face in the background colour and a raised
  // border, which the "Windows" style draws (Fusion paints a gradient), and check boxes whose
  // captions fit their narrow boxes.
  if (QStyle* classic = QStyleFactory::create(QStringLiteral("Windows"))) {
    classic->setParent(this);
    for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      control->setStyle(classic);
    }
  }

  setTabOrder(text3_, text1_);
  setTabOrder(text1_, text2_);
  setTabOrder(text2_, vscroll1_);
  setTabOrder(vscroll1_, command1_);
  setTabOrder(command1_, check1_);
  setTabOrder(check1_, check2_);
  setTabOrder(check2_, check3_);
  setTabOrder(check3_, check4_);
  setTabOrder(check4_, cmd_ok_);
}

}  // namespace morvane
