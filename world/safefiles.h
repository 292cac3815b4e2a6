#pragma once

#include <QString>
#include <functional>

class QFile;
class QIODevice;

// Terravik reads and writes regular files only: a FIFO would keep a reader
// waiting for ever, a device would stream without end, and replacing either
// (or a folder) by a regular file would damage the system.

// Why path cannot be written, worded as writeFileSafely words it; empty when
// it can: path is a regular file, a link that leads to one, or a new name in
// an existing folder. A link is written through: the file it leads to is
// replaced and the link stays.
QString writeTargetProblem(const QString& path);

// Writes a whole file or nothing. `write` produces the contents on the device
// it is given and returns false when it could not; the device checks every
// write to its last byte, so a short write or a full disk fails the whole
// file whatever `write` makes of the device's answers. The contents go to a
// new file beside the target, synced and then renamed over it, so a failure
// leaves the old file exactly as it was. Returns an empty text on success,
// else one line naming the file and the system's reason.
QString writeFileSafely(const QString& path, const std::function<bool(QIODevice&)>& write);

// Opens path for reading when it is a regular file, judged before opening so
// that nothing else can block or be acted on. An empty text on success, else
// the reason, without the file's name.
QString openRegularFile(const QString& path, QFile& file);
