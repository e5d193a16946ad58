#include "WindowKeys.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QShortcut>
#include <QWidget>

namespace {

// The window whose command `object` is: the first window above it, a menu
// counting as part of the window it drops from; none inside a dialog.
const QWidget* CommandWindow(const QObject& object) {
  for (const QObject* at = object.parent(); at != nullptr; at = at->parent()) {
    const auto* widget = qobject_cast<const QWidget*>(at);
    if (widget == nullptr) continue;
    if (qobject_cast<const QDialog*>(widget) != nullptr) return nullptr;
    if (widget->isWindow() && qobject_cast<const QMenu*>(widget) == nullptr) return widget;
  }
  return nullptr;
}

// Shift+Tab comes as Backtab from some platforms and as Tab from others; the
// keypad's keys are the keys they stand for.
QKeyCombination Normalised(QKeyCombination key) {
  Qt::KeyboardModifiers modifiers = key.keyboardModifiers() & ~Qt::KeypadModifier;
  Qt::Key code = key.key();
  if (code == Qt::Key_Backtab) {
    code = Qt::Key_Tab;
    modifiers |= Qt::ShiftModifier;
  }
  return QKeyCombination(modifiers, code);
}

bool AnyIs(const QList<QKeySequence>& sequences, QKeyCombination key) {
  for (const QKeySequence& sequence : sequences)
    if (sequence.count() == 1 && Normalised(sequence[0]) == key) return true;
  return false;
}

class TCommandKeyFilter : public QObject {
 public:
  explicit TCommandKeyFilter(QWidget& window) : QObject(&window), window_(window) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::ShortcutOverride) return false;
    const auto* widget = qobject_cast<const QWidget*>(watched);
    if (widget == nullptr || widget->window() != &window_) return false;
    if (!IsCommandKey(window_, static_cast<QKeyEvent*>(event)->keyCombination())) return false;
    // Not accepted: the shortcut map goes on to the command. Not delivered:
    // the widget never claims the key.
    event->ignore();
    return true;
  }

 private:
  QWidget& window_;
};

}  // namespace

bool IsCommandKey(const QWidget& window, QKeyCombination key) {
  const QKeyCombination wanted = Normalised(key);
  for (const QAction* action : window.findChildren<QAction*>())
    if (action->isEnabled() && AnyIs(action->shortcuts(), wanted) && CommandWindow(*action) == &window) return true;
  for (const QShortcut* shortcut : window.findChildren<QShortcut*>())
    if (shortcut->isEnabled() && AnyIs(shortcut->keys(), wanted) && CommandWindow(*shortcut) == &window) return true;
  return false;
}

void LeaveCommandKeysToWindow(QWidget& window) {
  QApplication::instance()->installEventFilter(new TCommandKeyFilter(window));
}

void CloseWithKeys(QWidget& window) {
  auto* shortcut = new QShortcut(&window);
  shortcut->setObjectName(QStringLiteral("CloseWindowShortcut"));
  shortcut->setKeys({QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)});
  QObject::connect(shortcut, &QShortcut::activated, &window, &QWidget::close);
  LeaveCommandKeysToWindow(window);
}
