#include "WindowSettings.h"

#include <memory>

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

QString& SettingsFolder() {
  static QString folder;
  return folder;
}

const QString kLastFolderKey = QStringLiteral("files/lastFolder");

std::unique_ptr<QSettings> Settings() {
  if (!SettingsFolder().isEmpty())
    return std::make_unique<QSettings>(QDir(SettingsFolder()).filePath(QStringLiteral("Morilux.conf")),
                                       QSettings::IniFormat);
  return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Morilux"),
                                     QStringLiteral("Morilux"));
}

}  // namespace

void UseSettingsFolder(const QString& folder) { SettingsFolder() = folder; }

QString LastPictureFolder() {
  const QString folder = Settings()->value(kLastFolderKey).toString();
  return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

void RememberPictureFolder(const QString& folder) {
  // Settings that cannot be written leave the window as it is: the next run
  // starts its dialogs in the working folder, as a first run does.
  Settings()->setValue(kLastFolderKey, folder);
}

QString RememberedLanguage() { return Settings()->value(QStringLiteral("window/language")).toString(); }

void RememberLanguage(const QString& language) { Settings()->setValue(QStringLiteral("window/language"), language); }
