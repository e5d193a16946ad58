#pragma once

#include <QByteArray>
#include <QString>

// Every file the window writes goes through here: the bytes go into a
// temporary file in the same folder, which then replaces `path` in one rename,
// so that a failure (no space, no such folder) never leaves a partial file.
// False with the reason in `error` when the file could not be written.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error);
