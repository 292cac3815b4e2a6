#pragma once

#include <QByteArray>
#include <QString>

// What the window remembers between runs, in the user's QSettings: its
// geometry, the colour-by-height choice and the folder of the last file.
namespace Preferences {

QByteArray windowGeometry();
void setWindowGeometry(const QByteArray& geometry);
bool colourByHeight();
void setColourByHeight(bool on);
// The home folder until a file has been opened, saved or exported.
QString lastFolder();
void setLastFolderFrom(const QString& filePath);

} // namespace Preferences
