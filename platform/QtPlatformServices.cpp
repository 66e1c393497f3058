#include "QtPlatformServices.h"

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QMimeData>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <memory>

namespace morvane {
namespace {

constexpr float kTwipsPerPixel = 15.0F;

int PixelsFromTwips(float twips) {
  return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}

float TwipsFromPixels(int pixels) {
  return static_cast<float>(pixels) * kTwipsPerPixel;
}

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Longer lines are shortened in the middle for display. A message box wraps a long key at about
// 1,000 pixels, so a pasted text of a million characters would make a box a hundred thousand
// pixels tall that takes seconds to lay out, and nobody could read it anyway.
constexpr qsizetype kLongestShownLine = 1000;
constexpr qsizetype kShownEnd = 60;  // characters kept at each end, about 400 pixels each

QString ShortenedLine(QStringView line) {
  if (line.size() <= kLongestShownLine) return line.toString();
  const qsizetype left_out = line.size() - 2 * kShownEnd;
  return line.first(kShownEnd).toString() +
         QStringLiteral(" [\u2026 %L1 characters left out \u2026] ").arg(left_out) +
         line.last(kShownEnd).toString();
}

QString ShownPrompt(const QString& prompt) {
  if (prompt.size() <= kLongestShownLine) return prompt;
  QStringList lines;
  for (const QStringView line : QStringView(prompt).split(u"\r\n")) {
    lines << ShortenedLine(line);
  }
  return lines.join(QStringLiteral("\r\n"));
}

}  // namespace

void QtPlatformServices::ShowMessageBox(MessageBoxStyle style, std::string_view prompt,
                                        std::string_view title) {
  // An instance rather than the static helpers: only an instance can refuse rich text.
  QMessageBox box(QApplication::activeWindow());
  box.setIcon(style == MessageBoxStyle::Critical ? QMessageBox::Critical
                                                 : QMessageBox::Information);
  box.setWindowTitle(FromUtf8(title));
  box.setTextFormat(Qt::PlainText);
  box.setText(ShownPrompt(FromUtf8(prompt)));
  box.setStandardButtons(QMessageBox::Ok);
  box.exec();
}

void PutSecretTextOnClipboard(const QString& text) {
  auto data = std::make_unique<QMimeData>();
  data->setText(text);
#if defined(Q_OS_WIN)
  // Windows reads raw clipboard formats through Qt's windows-mime names.
  const QByteArray zero(4, '\0');  // a DWORD 0 says "no"
  data->setData(
      QStringLiteral(
          "application/x-qt-windows-mime;value=\"ExcludeClipboardContentFromMonitorProcessing\""),
      zero);
  data->setData(
      QStringLiteral("application/x-qt-windows-mime;value=\"CanIncludeInClipboardHistory\""), zero);
  data->setData(QStringLiteral("application/x-qt-windows-mime;value=\"CanUploadToCloudClipboard\""),
                zero);
#elif defined(Q_OS_MACOS)
  data->setData(QStringLiteral("application/x-nspasteboard-concealed-type"), text.toUtf8());
#else
  data->setData(QStringLiteral("x-kde-passwordManagerHint"), QByteArrayLiteral("secret"));
#endif
  // Setting new content replaces the old, which is clearing and writing in one step.
  QGuiApplication::clipboard()->setMimeData(data.release());
}

void EndProgram() {
  QCoreApplication::quit();
}

float QtWindowGeometry::Top() const {
  return TwipsFromPixels(window_.frameGeometry().top());
}

float QtWindowGeometry::Left() const {
  return TwipsFromPixels(window_.frameGeometry().left());
}

float QtWindowGeometry::Width() const {
  return TwipsFromPixels(window_.frameGeometry().width());
}

float QtWindowGeometry::Height() const {
  return TwipsFromPixels(window_.frameGeometry().height());
}

void QtWindowGeometry::SetTop(float twips) {
  window_.move(window_.frameGeometry().left(), PixelsFromTwips(twips));
}

void QtWindowGeometry::SetLeft(float twips) {
  window_.move(PixelsFromTwips(twips), window_.frameGeometry().top());
}

// The outer size includes the frame; resize() takes the inner size, so carry the difference.
void QtWindowGeometry::SetWidth(float twips) {
  const int frame = window_.frameGeometry().width() - window_.width();
  window_.resize(std::max(0, PixelsFromTwips(twips) - frame), window_.height());
}

void QtWindowGeometry::SetHeight(float twips) {
  const int frame = window_.frameGeometry().height() - window_.height();
  window_.resize(window_.width(), std::max(0, PixelsFromTwips(twips) - frame));
}

float QtWindowGeometry::ScreenWidth() const {
  const QScreen* screen = window_.screen();
  return screen == nullptr ? 0.0F : TwipsFromPixels(screen->geometry().width());
}

void QtWindowGeometry::ShowChanges() {
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace morvane
