#pragma once

#include <QRect>
#include <QString>

class QWidget;

// Lets the X server catch up with everything the program has drawn: pending
// events are processed and the loop keeps running for the given time.
void settle(int milliseconds);

// The rectangle a top-level window covers on the screen. Without a window
// manager there are no decorations, so this is the whole window.
QRect screenRect(const QWidget* window);

// Photographs the given rectangle of the X screen with ImageMagick's import,
// which reads the screen itself and so also sees the OpenGL view's pixels.
// Returns false when import failed.
bool captureScreen(const QRect& area, const QString& pngPath);
