#include "world/safewrite.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

QString writeFileSafely(const QString& path, const std::function<bool(QIODevice&)>& write)
{
    const QString shown = QDir::toNativeSeparators(path);
    if (QFileInfo(path).isDir()) {
        return QStringLiteral("%1: cannot write a file here: this is a folder").arg(shown);
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return QStringLiteral("%1: cannot write: %2").arg(shown, file.errorString());
    }
    if (!write(file) || file.error() != QFileDevice::NoError) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return QStringLiteral("%1: writing failed: %2").arg(shown, reason);
    }
    if (!file.commit()) {
        return QStringLiteral("%1: writing failed: %2").arg(shown, file.errorString());
    }
    return {};
}
