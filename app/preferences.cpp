#include "app/preferences.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace Preferences {

namespace {
const QString GeometryKey = QStringLiteral("window/geometry");
const QString ColourKey = QStringLiteral("view/colourByHeight");
const QString FolderKey = QStringLiteral("files/lastFolder");
} // namespace

QByteArray windowGeometry()
{
    return QSettings().value(GeometryKey).toByteArray();
}

void setWindowGeometry(const QByteArray& geometry)
{
    QSettings().setValue(GeometryKey, geometry);
}

bool colourByHeight()
{
    return QSettings().value(ColourKey, false).toBool();
}

void setColourByHeight(bool on)
{
    QSettings().setValue(ColourKey, on);
}

QString lastFolder()
{
    const QString folder = QSettings().value(FolderKey).toString();
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QDir::homePath();
}

void setLastFolderFrom(const QString& filePath)
{
    QSettings().setValue(FolderKey, QFileInfo(filePath).absolutePath());
}

} // namespace Preferences
