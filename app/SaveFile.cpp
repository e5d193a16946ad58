#include "SaveFile.h"

#include <QFile>

#include "report/OutputFiles.h"
#include "UiLanguage.h"

std::optional<QString> SaveFile(const QString& path, std::string_view bytes) {
  try {
    WriteFileAtomically(QFile::encodeName(path).toStdString(), bytes);
  } catch (const TOutputError& error) {
    return Ui(QStringLiteral("%1 を保存できませんでした：%2")).arg(path, QString::fromStdString(error.Reason()));
  }
  return std::nullopt;
}
