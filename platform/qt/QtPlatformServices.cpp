#include "QtPlatformServices.h"

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QMimeData>
#include <QUtf8StringView>

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <memory>

namespace morvane {
namespace {

QString FromUtf8(std::string_view text) {
  return QUtf8StringView(text.data(), static_cast<qsizetype>(text.size())).toString();
}

// The mark that KDE's Klipper and other clipboard managers read as "do not keep this".
const QString kSecretHint = QStringLiteral("x-kde-passwordManagerHint");

// Longer lines are shortened in the middle for display. A message box wraps a long key at about
// 1,000 pixels, so a pasted text of a million characters would make a box a hundred thousand
// pixels tall that takes seconds to lay out, and nobody could read it anyway.
constexpr std::size_t kLongestShownLine = 1000;
constexpr std::size_t kShownEnd = 60;  // characters kept at each end, about 400 pixels each

bool StartsCharacter(char byte) {
  return (static_cast<unsigned char>(byte) & 0xC0U) != 0x80U;  // not a continuation byte
}

// The bytes of the first `count` characters of UTF-8 `text`.
std::size_t BytesOfFirst(std::string_view text, std::size_t count) {
  std::size_t end = 0;
  for (std::size_t started = 0; end < text.size(); ++end) {
    if (StartsCharacter(text[end]) && started++ == count) break;
  }
  return end;
}

// The bytes of the last `count` characters of UTF-8 `text`.
std::size_t BytesOfLast(std::string_view text, std::size_t count) {
  std::size_t start = text.size();
  for (std::size_t started = 0; start > 0 && started < count;) {
    if (StartsCharacter(text[--start])) ++started;
  }
  return text.size() - start;
}

// Works on the UTF-8 text, so that a key of ten million characters is never converted whole
// only to show 120 of them.
QString ShortenedLine(std::string_view line) {
  if (line.size() <= kLongestShownLine) return FromUtf8(line);
  const auto characters =
      static_cast<std::size_t>(std::count_if(line.begin(), line.end(), StartsCharacter));
  if (characters <= kLongestShownLine) return FromUtf8(line);
  return FromUtf8(line.substr(0, BytesOfFirst(line, kShownEnd))) +
         QStringLiteral(" [\u2026 %L1 characters left out \u2026] ")
             .arg(static_cast<qulonglong>(characters - 2 * kShownEnd)) +
         FromUtf8(line.substr(line.size() - BytesOfLast(line, kShownEnd)));
}

QString ShownPrompt(std::string_view prompt) {
  constexpr std::string_view kLineBreak = "\r\n";
  QStringList lines;
  for (std::size_t start = 0;;) {
    const std::size_t end = prompt.find(kLineBreak, start);
    lines << ShortenedLine(prompt.substr(start, end - start));
    if (end == std::string_view::npos) break;
    start = end + kLineBreak.size();
  }
  return lines.join(QStringLiteral("\r\n"));
}

// Plain text marked as secret where the desktop has a convention for it, so that clipboard
// managers and histories do not keep it.
std::unique_ptr<QMimeData> SecretText(const QString& text) {
  auto data = std::make_unique<QMimeData>();
  data->setText(text);
#if defined(Q_OS_WIN)
  // Qt registers a MIME type it has no converter for as a Windows clipboard format of exactly
  // that name, so these are the names clipboard history and cloud clipboard look for. (The
  // "application/x-qt-windows-mime;value=" form names formats only when reading.)
  const QByteArray zero(4, '\0');  // a DWORD 0 says "no"
  for (const QString& format : {QStringLiteral("ExcludeClipboardContentFromMonitorProcessing"),
                                QStringLiteral("CanIncludeInClipboardHistory"),
                                QStringLiteral("CanUploadToCloudClipboard")}) {
    data->setData(format, zero);
  }
#elif defined(Q_OS_MACOS)
  data->setData(QStringLiteral("application/x-nspasteboard-concealed-type"), text.toUtf8());
#else
  data->setData(kSecretHint, QByteArrayLiteral("secret"));
#endif
  return data;
}

// A line edit puts selected text into the primary selection as plain text. Only what this
// program owns is read, so no other program is ever waited for; the marked copy that replaces
// it raises this again, and then has the mark.
void MarkOwnSelectionSecret(QClipboard& clipboard) {
  if (!clipboard.ownsSelection()) return;
  const QMimeData* data = clipboard.mimeData(QClipboard::Selection);
  if (data == nullptr || data->hasFormat(kSecretHint)) return;
  clipboard.setMimeData(SecretText(data->text()).release(), QClipboard::Selection);
}

}  // namespace

QtPlatformServices::QtPlatformServices() {
  QClipboard* clipboard = QGuiApplication::clipboard();
  selection_watch_ = QObject::connect(clipboard, &QClipboard::selectionChanged,
                                      [clipboard] { MarkOwnSelectionSecret(*clipboard); });
}

QtPlatformServices::~QtPlatformServices() {
  QObject::disconnect(selection_watch_);
}

void QtPlatformServices::ShowMessageBox(MessageBoxStyle style, std::string_view prompt,
                                        std::string_view title) {
  // An instance rather than the static helpers: only an instance can refuse rich text.
  QMessageBox box(QApplication::activeWindow());
  box.setIcon(style == MessageBoxStyle::Critical ? QMessageBox::Critical
                                                 : QMessageBox::Information);
  box.setWindowTitle(FromUtf8(title));
  box.setTextFormat(Qt::PlainText);
  box.setText(ShownPrompt(prompt));
  box.setStandardButtons(QMessageBox::Ok);
  box.exec();
}

void QtPlatformServices::SetClipboardText(std::string_view text) {
  // Setting new content replaces the old, which is clearing and writing in one step.
  QGuiApplication::clipboard()->setMimeData(SecretText(FromUtf8(text)).release());
}

void QtPlatformServices::ClearOwnSelection() {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard->supportsSelection() && clipboard->ownsSelection()) {
    clipboard->clear(QClipboard::Selection);
  }
}

void QtPlatformServices::EndProgram() {
  QCoreApplication::quit();
}

}  // namespace morvane
