#include "LanguageMenu.h"

#include <QActionGroup>
#include <QMenu>

#include "UiLanguage.h"

QMenu* MakeLanguageMenu(QWidget* parent) {
  auto* menu = new QMenu(QStringLiteral("言語 / Language"), parent);
  menu->setObjectName(QStringLiteral("LanguageMenu"));
  KeepVerbatim(menu);
  auto* group = new QActionGroup(menu);
  const auto add = [&](const QString& name, const char* objectName, TUiLanguage language) {
    QAction* action = menu->addAction(name);
    action->setObjectName(QString::fromLatin1(objectName));
    action->setCheckable(true);
    action->setChecked(UiLanguage() == language);
    KeepVerbatim(action);
    group->addAction(action);
    QObject::connect(action, &QAction::triggered, menu, [language] { SetUiLanguage(language); });
    QObject::connect(&UiLanguageNotifier(), &TUiLanguageNotifier::Changed, action,
                     [action, language] { action->setChecked(UiLanguage() == language); });
  };
  add(QStringLiteral("日本語"), "JapaneseAction", TUiLanguage::Japanese);
  add(QStringLiteral("English"), "EnglishAction", TUiLanguage::English);
  return menu;
}
