#include "app/preferences.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace Preferences {

namespace {
const QString GeometryKey = QStringLiteral("window/geometry");
const QString ColourKey = QStringLiteral("view/colourByHeight");
const QString FolderKey = QStringLiteral("files/lastFolder");
const QString FitKey = QStringLiteral("view/fitNewWorlds");
const QString RecentKey = QStringLiteral("files/recent");

void setRecentFiles(QStringList files)
{
    while (files.size() > kRecentFiles) {
        files.removeLast();
    }
    QSettings().setValue(RecentKey, files);
}
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

bool fitNewWorlds()
{
    return QSettings().value(FitKey, true).toBool();
}

void setFitNewWorlds(bool on)
{
    QSettings().setValue(FitKey, on);
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

QStringList recentFiles()
{
    return QSettings().value(RecentKey).toStringList();
}

void addRecentFile(const QString& filePath)
{
    const QString path = QFileInfo(filePath).absoluteFilePath();
    QStringList files = recentFiles();
    files.removeAll(path);
    files.prepend(path);
    setRecentFiles(files);
}

void removeRecentFile(const QString& filePath)
{
    QStringList files = recentFiles();
    files.removeAll(filePath);
    setRecentFiles(files);
}

void clearRecentFiles()
{
    setRecentFiles({});
}

} // namespace Preferences
