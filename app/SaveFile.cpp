#include "SaveFile.h"

#include <QSaveFile>

bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error) {
  QSaveFile file(path);
  // No direct write when the folder refuses a temporary file: all or nothing.
  file.setDirectWriteFallback(false);
  if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit()) return true;
  // The temporary file goes with `file` unless committed.
  if (error) *error = file.errorString();
  return false;
}
