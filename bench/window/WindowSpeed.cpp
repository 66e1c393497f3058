// Runs the window up to a chosen point and exits, so that whole-process timings can compare it:
//   empty        an empty QWidget of the window's size, up to its first paint (the baseline)
//   form         Form1, up to its first paint
//   paste N      Form1 with a pasted key of N characters, up to the paint that shows it
//   check N      the same, then the check button, up to the first paint of the report box
#include "Form1.h"
#include "QtPlatformServices.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <functional>

namespace {

// exit() rather than quit(): quit() first closes every window, which would time the closing
// animation too.
void ExitNow() {
  QCoreApplication::exit(0);
}

// Calls `then` once, right after the first paint of a widget that `matches` accepts.
class FirstPaint : public QObject {
 public:
  FirstPaint(std::function<bool(const QObject*)> matches, std::function<void()> then)
      : matches_(std::move(matches)), then_(std::move(then)) {
    QCoreApplication::instance()->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !done_ && matches_(watched)) {
      done_ = true;
      QTimer::singleShot(0, this, then_);  // after the paint has been flushed
    }
    return false;
  }

 private:
  std::function<bool(const QObject*)> matches_;
  std::function<void()> then_;
  bool done_ = false;
};

QString LongKey(int length) {
  QString key;
  key.reserve(length);
  for (int i = 0; i < length; ++i) key.append(QLatin1Char("Ab1:cdefgh"[i % 10]));
  key.append(QLatin1Char('Z'));  // not a repetition
  return key;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  const QStringList arguments = QCoreApplication::arguments();
  const QString mode = arguments.value(1, QStringLiteral("form"));
  const int length = arguments.value(2, QStringLiteral("1000000")).toInt();

  if (mode == QLatin1String("empty")) {
    QWidget empty;
    empty.resize(345, 211);
    FirstPaint painted([&](const QObject* o) { return o == &empty; }, &ExitNow);
    empty.show();
    return QApplication::exec();
  }

  morvane::QtPlatformServices services;
  morvane::Form1 form(services);
  services.SetMainWindow(form);
  auto* key_box = form.findChild<QLineEdit*>(QStringLiteral("Text3"));
  QElapsedTimer clock;

  std::unique_ptr<FirstPaint> key_painted;
  std::unique_ptr<FirstPaint> box_painted;
  const auto paste = [&] {
    QGuiApplication::clipboard()->setText(LongKey(length - 1));
    key_painted = std::make_unique<FirstPaint>(
        [&](const QObject* o) { return o == key_box; },
        [&] {
          if (mode == QLatin1String("paste")) {
            ExitNow();
            return;
          }
          box_painted = std::make_unique<FirstPaint>(
              [](const QObject* o) { return qobject_cast<const QMessageBox*>(o) != nullptr; },
              [&] {
                std::fprintf(stderr, "box after %lld ms\n", clock.elapsed());
                ExitNow();
              });
          clock.start();
          form.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
        });
    // Ctrl+V, as a user pastes.
    key_box->setFocus();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier);
    QApplication::sendEvent(key_box, &press);
  };
  FirstPaint form_painted([&](const QObject* o) { return o == &form; },
                          mode == QLatin1String("form") ? std::function<void()>(&ExitNow)
                                                        : std::function<void()>(paste));
  form.show();
  return QApplication::exec();
}
