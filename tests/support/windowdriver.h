#pragma once

// Driving the main window as a user does (activation, typing, list clicks,
// mouse drags) and watching its view (cursor changes, the frame it shows).

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

// Shows the window and gives it the keyboard: with no window manager under
// Xvfb an inactive window receives no shortcut.
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

// Types the value in the spin box's own locale and precision.
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

// A mouse event with the held buttons stated: QTest's own moves go through the
// real pointer, which holds none.
inline void sendMouse(QWidget& widget, QEvent::Type type, QPoint position, Qt::MouseButton button,
                      Qt::MouseButtons held)
{
    QMouseEvent event(type, position, widget.mapToGlobal(position), button, held, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

// Press at from, move through the points, and release at the last one if asked.
inline void drag(QWidget& widget, Qt::MouseButton button, QPoint from,
                 const std::vector<QPoint>& moves, bool releaseAtEnd = true)
{
    sendMouse(widget, QEvent::MouseButtonPress, from, button, button);
    for (const QPoint& point : moves) {
        sendMouse(widget, QEvent::MouseMove, point, Qt::NoButton, button);
    }
    if (releaseAtEnd) {
        const QPoint at = moves.empty() ? from : moves.back();
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

// Every cursor set on a widget, in order, with the snapshot's value at that
// moment. setCursor sends CursorChange on every call, also for the same shape;
// the echo that a native widget's window sends on a shape change is not counted.
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
    const QList<int>& snapshots() const { return snapshots_; }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::CursorChange) {
            return false;
        }
        if (watched == window_) {
            fromWindow_ = true; // passed on to the widget at once
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

// QGLWidget's protected buffer-swap switch, reached through a member pointer.
struct SwapSwitch : GLWidget
{
    static void set(GLWidget& view, bool on)
    {
        void (QGLWidget::*setSwap)(bool) = &SwapSwitch::setAutoBufferSwap;
        (view.*setSwap)(on);
    }
};

// The frame the view draws now, read back before a buffer swap can change it.
inline QImage frameOf(GLWidget& view)
{
    SwapSwitch::set(view, false);
    view.updateGL();
    QImage image = view.grabFrameBuffer();
    SwapSwitch::set(view, true);
    return image;
}

// Drop-path blue; the terrain is white and the background dark grey.
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
