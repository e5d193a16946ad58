#pragma once

#include <optional>
#include <string_view>

#include <QString>

// Every file the window writes goes through the front ends' one writer
// (report/OutputFiles): the bytes go into a temporary file in the same folder,
// which then replaces `path` in one rename, so that a failure (no space, no
// such folder) never leaves a partial file. Returns the message the window
// shows when the file could not be written, naming the path and the reason;
// none after a success.
std::optional<QString> SaveFile(const QString& path, std::string_view bytes);
