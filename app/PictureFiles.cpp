#include "PictureFiles.h"

#include <QFileDialog>
#include <QFileInfo>

#include "picture/PictureLoader.h"
#include "UiLanguage.h"

namespace {

// "*.jpg *.jpeg" for a kind, or for every kind.
QString Patterns(const TPictureKind* only) {
  QStringList patterns;
  for (const TPictureKind& kind : kPictureKinds)
    if (only == nullptr || only == &kind)
      for (const char* extension : kind.extensions)
        if (extension != nullptr) patterns << QLatin1Char('*') + QString::fromLatin1(extension);
  return patterns.join(QLatin1Char(' '));
}

}  // namespace

QString NotAPictureText(const QString& path) {
  QStringList extensions;
  for (const std::string& extension : PictureExtensions()) extensions << QString::fromStdString(extension);
  return Ui(QStringLiteral("%1 は読み込めません（%2 のファイルだけです）"))
      .arg(QFileInfo(path).fileName(), extensions.join(Ui(QStringLiteral("、"))));
}

QStringList AnyPictureFilters() {
  QStringList filters{Ui(QStringLiteral("画像 (%1)")).arg(Patterns(nullptr))};
  for (const TPictureKind& kind : kPictureKinds)
    filters << QStringLiteral("%1 (%2)").arg(QString::fromLatin1(kind.name), Patterns(&kind));
  filters << Ui(QStringLiteral("すべてのファイル (*)"));
  return filters;
}

QFileDialog* MakeAnyPictureDialog(QWidget* parent) {
  auto* dialog = new QFileDialog(parent, Ui(QStringLiteral("画像を開く")));
  dialog->setObjectName(QStringLiteral("OpenAnyDialog"));
  dialog->setFileMode(QFileDialog::ExistingFile);
  dialog->setAcceptMode(QFileDialog::AcceptOpen);
  dialog->setNameFilters(AnyPictureFilters());
  QObject::connect(&UiLanguageNotifier(), &TUiLanguageNotifier::Changed, dialog,
                   [dialog] { dialog->setNameFilters(AnyPictureFilters()); });
  return dialog;
}
