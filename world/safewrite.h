#pragma once

#include <QString>
#include <functional>

class QIODevice;

// Writes a whole file through QSaveFile: the old file, if any, stays untouched
// until the new one is complete, so a failure never leaves half a file. Returns
// an empty text on success, else a message naming the file and what failed.
// `write` returns false when it could not produce the contents.
QString writeFileSafely(const QString& path, const std::function<bool(QIODevice&)>& write);
