#pragma once

// Driving the main window as a user does and watching its view: activation
// (shortcuts reach only an active window), typing into fields, clicking list
// rows, mouse drags on the view, the cursor changes a command makes and the
// frame the view shows.

#include "terrain/map.h"
#include "view/glwidget.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCursor>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPointer>
#include <QSpinBox>
#include <QWheelEvent>
#include <QWindow>
#include <QtTest>
#include <cstring>
#include <functional>
#include <vector>

namespace WindowDriver {

// Shows the window and gives it the keyboard. There is no window manager
// under Xvfb: an inactive window receives no shortcut.
inline bool showActive(QWidget& window)
{
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

// Replaces the text of a field as a user does: select all, then type.
inline void typeInto(QWidget& field, const QString& text)
{
    QTest::keyClick(&field, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty()) {
        QTest::keyClick(&field, Qt::Key_Backspace);
    } else {
        QTest::keyClicks(&field, text);
    }
}

// Types a coordinate in the spin box's own locale, with its two decimals.
inline void typeValue(QDoubleSpinBox& box, double value)
{
    typeInto(box, box.locale().toString(value, 'f', box.decimals()));
}

inline void typeValue(QSpinBox& box, int value)
{
    typeInto(box, box.locale().toString(value));
}

// A click on the row, which selects it.
inline void clickRow(QListWidget& list, int row)
{
    const QRect rect = list.visualItemRect(list.item(row));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
}

inline QStringList rowTexts(const QListWidget& list)
{
    QStringList texts;
    for (int row = 0; row < list.count(); ++row) {
        texts << list.item(row)->text();
    }
    return texts;
}

inline QList<int> selectedRows(const QListWidget& list)
{
    QList<int> rows;
    for (const QListWidgetItem* item : list.selectedItems()) {
        rows << list.row(item);
    }
    return rows;
}

// Mouse events on the view with the buttons held during the event stated
// explicitly: QTest's own moves go through the real pointer, which holds none.
inline void sendMouse(QWidget& widget, QEvent::Type type, QPoint position, Qt::MouseButton button,
                      Qt::MouseButtons held)
{
    QMouseEvent event(type, position, widget.mapToGlobal(position), button, held, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

// Press at from, move to each point in turn, and optionally release at the
// last one.
inline void drag(QWidget& widget, Qt::MouseButton button, QPoint from,
                 const std::vector<QPoint>& moves, bool releaseAtEnd = true)
{
    sendMouse(widget, QEvent::MouseButtonPress, from, button, button);
    QPoint at = from;
    for (const QPoint& point : moves) {
        at = point;
        sendMouse(widget, QEvent::MouseMove, at, Qt::NoButton, button);
    }
    if (releaseAtEnd) {
        sendMouse(widget, QEvent::MouseButtonRelease, at, button, Qt::NoButton);
    }
}

// One notch of a standard wheel is 120 eighths of a degree.
inline void turnWheel(QWidget& widget, int delta)
{
    const QPoint position = widget.rect().center();
    QWheelEvent event(QPointF(position), QPointF(widget.mapToGlobal(position)), QPoint(),
                      QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&widget, &event);
}

// Every cursor set on a widget, in order, with whatever the test wants to know
// at that moment. setCursor sends CursorChange to the widget on every call,
// also when the shape stays the same; a native widget's window, whose cursor
// changes only with the shape, sends it a second one, which is not counted.
class CursorLog : public QObject
{
public:
    using Snapshot = std::function<int()>;

    explicit CursorLog(
        QWidget& widget, Snapshot snapshot = [] { return 0; })
        : widget_(widget), window_(widget.windowHandle()), snapshot_(std::move(snapshot))
    {
        widget_.installEventFilter(this);
        if (window_ != nullptr) {
            window_->installEventFilter(this);
        }
    }
    ~CursorLog() override
    {
        widget_.removeEventFilter(this);
        if (window_ != nullptr) {
            window_->removeEventFilter(this);
        }
    }

    const QList<Qt::CursorShape>& shapes() const { return shapes_; }
    // The snapshot's value at each cursor change.
    const QList<int>& snapshots() const { return snapshots_; }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::CursorChange) {
            return false;
        }
        if (watched == window_) {
            // The window passes its own change on to the widget at once.
            fromWindow_ = true;
        } else if (watched == &widget_) {
            if (fromWindow_) {
                fromWindow_ = false;
            } else {
                shapes_ << widget_.cursor().shape();
                snapshots_ << snapshot_();
            }
        }
        return false;
    }

private:
    QWidget& widget_;
    QPointer<QWindow> window_;
    Snapshot snapshot_;
    bool fromWindow_ = false;
    QList<Qt::CursorShape> shapes_;
    QList<int> snapshots_;
};

// Reaches QGLWidget's protected buffer-swap switch through a member pointer,
// which is well defined on any QGLWidget.
struct SwapSwitch : GLWidget
{
    static void set(GLWidget& view, bool on)
    {
        void (QGLWidget::*setSwap)(bool) = &SwapSwitch::setAutoBufferSwap;
        (view.*setSwap)(on);
    }
};

// The frame the view draws now, read back before any buffer swap can change
// what the back buffer holds.
inline QImage frameOf(GLWidget& view)
{
    SwapSwitch::set(view, false);
    view.updateGL();
    QImage image = view.grabFrameBuffer();
    SwapSwitch::set(view, true);
    return image;
}

// Pure drop-path blue: the terrain is white and the background dark grey.
inline bool isBlue(QRgb pixel)
{
    return qBlue(pixel) > 200 && qRed(pixel) < 60 && qGreen(pixel) < 60;
}

inline bool isNearlyWhite(QRgb pixel)
{
    return qRed(pixel) > 200 && qGreen(pixel) > 200 && qBlue(pixel) > 200;
}

inline int countPixels(const QImage& image, const std::function<bool(QRgb)>& test)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += test(image.pixel(x, y)) ? 1 : 0;
        }
    }
    return count;
}

// Same size and the same heights to the last bit (a NaN equals itself).
inline bool sameHeights(const Map& a, const Map& b)
{
    if (a.width() != b.width() || a.length() != b.length()) {
        return false;
    }
    for (std::size_t i = 0; i < a.points().size(); ++i) {
        const float za = a.points()[i].z();
        const float zb = b.points()[i].z();
        if (std::memcmp(&za, &zb, sizeof(float)) != 0) {
            return false;
        }
    }
    return true;
}

} // namespace WindowDriver
