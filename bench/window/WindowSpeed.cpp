// Runs the window up to a chosen point and exits, so that whole-process timings can compare it.
// Keys come from the clipboard (or the primary selection) as another program holds it:
//   empty          an empty QWidget of the window's size, up to its first paint (the baseline)
//   label          the same with one line of text, which brings in what every text needs (fonts,
//                  fontconfig, FreeType, HarfBuzz): the share of the difference no window avoids
//   form           Form1, up to its first paint
//   paste ROUTE    Form1, then a paste into the box to check by ROUTE (ctrl-v, shift-insert,
//                  menu, middle), up to the box's next paint; prints the time from the paste
//   idle           a Ctrl+V paste, then three seconds with the key in the focused box; prints
//                  the processor time used meanwhile
//   check          a Ctrl+V paste, then the check button: prints the time to the first paint of
//                  the report box, answers it, and prints how soon the window answers again
#include "Form1.h"
#include "QtPlatformServices.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <vector>

namespace {

// exit() rather than quit(): quit() first closes every window, which would time the closing
// animation too.
void ExitNow() {
  QCoreApplication::exit(0);
}

// Calls `f` once after `ms` milliseconds, from a timer that `owner` holds.
void Later(QObject* owner, int ms, const std::function<void()>& f) {
  auto* timer = new QTimer(owner);
  timer->setSingleShot(true);
  QObject::connect(timer, &QTimer::timeout, owner, f);
  timer->start(ms);
}

// Calls `then` once, right after the next paint of a widget that `matches` accepts.
class NextPaint : public QObject {
 public:
  NextPaint(std::function<bool(const QObject*)> matches, std::function<void()> then)
      : matches_(std::move(matches)), then_(std::move(then)) {
    QCoreApplication::instance()->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !done_ && matches_(watched)) {
      done_ = true;
      // After the paint has been flushed. A posted event rather than a timer: it is also
      // delivered inside a message box's event loop that a timer's callback started.
      QCoreApplication::postEvent(this, new QEvent(QEvent::User));
    }
    return false;
  }

  void customEvent(QEvent* /*event*/) override { then_(); }

 private:
  std::function<bool(const QObject*)> matches_;
  std::function<void()> then_;
  bool done_ = false;
};

double ProcessorSeconds() {
  return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

void Send(QWidget* target, QEvent&& event) {
  QApplication::sendEvent(target, &event);
}

// The clock starts when the paste is asked for: for the menu, when its entry is chosen.
void Paste(QLineEdit* box, const QString& route, QElapsedTimer& clock) {
  const QPoint centre = box->rect().center();
  if (route == QLatin1String("ctrl-v")) {
    Send(box, QKeyEvent(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier));
  } else if (route == QLatin1String("shift-insert")) {
    Send(box, QKeyEvent(QEvent::KeyPress, Qt::Key_Insert, Qt::ShiftModifier));
  } else if (route == QLatin1String("middle")) {
    const QPointF global = box->mapToGlobal(QPointF(centre));
    Send(box, QMouseEvent(QEvent::MouseButtonPress, QPointF(centre), global, Qt::MiddleButton,
                          Qt::MiddleButton, Qt::NoModifier));
    Send(box, QMouseEvent(QEvent::MouseButtonRelease, QPointF(centre), global, Qt::MiddleButton,
                          Qt::NoButton, Qt::NoModifier));
  } else if (route == QLatin1String("menu")) {
    Send(box, QContextMenuEvent(QContextMenuEvent::Mouse, centre, box->mapToGlobal(centre)));
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    const QString shortcut =
        QLatin1Char('\t') + QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText);
    QAction* action = nullptr;
    for (QAction* entry : menu ? menu->actions() : QList<QAction*>()) {
      if (entry->text().endsWith(shortcut)) action = entry;
    }
    if (action == nullptr) qFatal("the context menu has no Paste");
    menu->close();
    clock.start();
    action->trigger();
  } else {
    qFatal("unknown route %s", qPrintable(route));
  }
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  const QStringList arguments = QCoreApplication::arguments();
  const QString mode = arguments.value(1, QStringLiteral("form"));
  const QString route = arguments.value(2, QStringLiteral("ctrl-v"));

  if (mode == QLatin1String("empty") || mode == QLatin1String("label")) {
    QWidget empty;
    empty.resize(345, 211);
    if (mode == QLatin1String("label")) {
      (new QLabel(QStringLiteral("Length Of Password"), &empty))->move(24, 136);
    }
    NextPaint painted([&](const QObject* o) { return o == &empty; }, &ExitNow);
    empty.show();
    return QApplication::exec();
  }

  morvane::QtPlatformServices services;
  morvane::Form1 form(services);
  services.SetMainWindow(form);
  auto* key_box = form.findChild<QLineEdit*>(QStringLiteral("Text3"));
  const auto is_key_box = [&](const QObject* o) { return o == key_box; };
  QElapsedTimer clock;
  // Each wait stays until the end: a new one is often set up from inside the one that fires.
  std::vector<std::unique_ptr<NextPaint>> waits;
  const auto after_next_paint = [&](std::function<bool(const QObject*)> matches,
                                    std::function<void()> then) {
    waits.push_back(std::make_unique<NextPaint>(std::move(matches), std::move(then)));
  };
  double idle_start = 0;

  const auto check = [&] {
    clock.start();
    after_next_paint(
        [](const QObject* o) { return qobject_cast<const QMessageBox*>(o) != nullptr; },
        [&] {
          std::printf("%lld ms: the report box shows, after the check button\n", clock.elapsed());
          auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
          clock.start();
          box->button(QMessageBox::Ok)->click();
          // The handler returns from the box and empties both boxes; the window answers once a
          // posted event runs and the emptied box has painted.
          after_next_paint(is_key_box, [&] {
            std::printf("%lld ms: the window answers, after the box is dismissed\n",
                        clock.elapsed());
            ExitNow();
          });
        });
    form.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
  };

  const auto pasted = [&] {
    if (key_box->text().size() < 1000) qFatal("nothing long was pasted: is the clipboard held?");
    if (mode == QLatin1String("paste")) {
      std::printf("%lld ms: a paste by %s settles (%lld characters)\n", clock.elapsed(),
                  qPrintable(route), static_cast<long long>(key_box->text().size()));
      ExitNow();
    } else if (mode == QLatin1String("idle")) {
      idle_start = ProcessorSeconds();
      Later(key_box, 3000, [&] {
        std::printf("%.1f %% of a core: idle with the key in the focused box\n",
                    (ProcessorSeconds() - idle_start) / 3.0 * 100.0);
        ExitNow();
      });
    } else {
      check();
    }
  };

  const auto paste = [&] {
    key_box->setFocus();
    clock.start();
    after_next_paint(is_key_box, pasted);
    Paste(key_box, mode == QLatin1String("paste") ? route : QStringLiteral("ctrl-v"), clock);
  };

  after_next_paint([&](const QObject* o) { return o == &form; },
                   mode == QLatin1String("form") ? std::function<void()>(&ExitNow)
                                                 : std::function<void()>(paste));
  form.show();
  return QApplication::exec();
}
