#include "app/preferences.h"

#include "app/newworlddialog.h"

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

NewWorldChoices newWorldChoices()
{
    QSettings settings;
    settings.beginGroup(QStringLiteral("newWorld"));
    NewWorldChoices choices;
    choices.generatorIndex = settings.value(QStringLiteral("generator"), 0).toInt();
    choices.randomSeed = settings.value(QStringLiteral("randomSeed"), true).toBool();
    choices.seedText = settings.value(QStringLiteral("seedText")).toString();
    choices.width = settings.value(QStringLiteral("width"), choices.width).toInt();
    choices.length = settings.value(QStringLiteral("length"), choices.length).toInt();
    return choices;
}

void setNewWorldChoices(const NewWorldChoices& choices)
{
    QSettings settings;
    settings.beginGroup(QStringLiteral("newWorld"));
    settings.setValue(QStringLiteral("generator"), choices.generatorIndex);
    settings.setValue(QStringLiteral("randomSeed"), choices.randomSeed);
    settings.setValue(QStringLiteral("seedText"), choices.seedText);
    settings.setValue(QStringLiteral("width"), choices.width);
    settings.setValue(QStringLiteral("length"), choices.length);
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
