#pragma once

#include <utility>

#include <QAction>
#include <QMenu>
#include <QString>

// A command of a context menu: an action named `name` (tests find it by
// that name), enabled or not, that runs `run` while `context` lives.
template <typename TRun>
QAction* AddMenuAction(QMenu& menu, const QString& text, const char* name, bool enabled, const QObject* context, TRun run) {
  QAction* action = menu.addAction(text);
  action->setObjectName(QString::fromLatin1(name));
  action->setEnabled(enabled);
  QObject::connect(action, &QAction::triggered, context, std::move(run));
  return action;
}
