#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

struct NewWorldChoices;

// What the window remembers between runs, in the user's QSettings: its
// geometry, the colour-by-height choice, the folder of the last file and the
// world files opened or saved last.
namespace Preferences {

QByteArray windowGeometry();
void setWindowGeometry(const QByteArray& geometry);
bool colourByHeight();
void setColourByHeight(bool on);
// Whether New world and Open frame the whole world; on until turned off.
bool fitNewWorlds();
void setFitNewWorlds(bool on);
// The home folder until a file has been opened, saved or exported.
QString lastFolder();
void setLastFolderFrom(const QString& filePath);

// The New world dialog's last answers, offered again next time.
NewWorldChoices newWorldChoices();
void setNewWorldChoices(const NewWorldChoices& choices);

// The world files opened or saved last, newest first, at most kRecentFiles.
constexpr int kRecentFiles = 8;
QStringList recentFiles();
// Puts the file first, once.
void addRecentFile(const QString& filePath);
void removeRecentFile(const QString& filePath);
void clearRecentFiles();

} // namespace Preferences
