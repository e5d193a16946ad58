#include "QtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace {

QPointer<QTranslator>& Installed() {
  static QPointer<QTranslator> translator;
  return translator;
}

}  // namespace

QTranslator* InstallQtJapanese(QCoreApplication& application) {
  QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
  auto* translator = new QTranslator(&application);
  if (!translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return nullptr;
  }
  QCoreApplication::installTranslator(translator);
  Installed() = translator;
  return translator;
}

void UseQtJapanese(bool use) {
  QTranslator* translator = Installed();
  if (translator == nullptr) return;
  if (use)
    QCoreApplication::installTranslator(translator);
  else
    QCoreApplication::removeTranslator(translator);
}
