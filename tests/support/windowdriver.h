#pragma once

// Driving the main window as a user does: typing, clicks, mouse drags, and
// answers to the modal dialogs its commands open.

#include "app/mainwindow.h"
#include "app/mainwindowform.h"
#include "app/newworlddialog.h"
#include "filters/editfilterdialog.h"
#include "terrain/map.h"
#include "view/glwidget.h"

#include <QtTest>
#include <QtWidgets>
#include <algorithm>
#include <cmath>
#include <functional>
#include <map>

namespace WindowDriver {

// With no window manager under Xvfb an inactive window receives no shortcut.
inline bool showActive(QWidget& window)
{
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

inline void typeInto(QWidget& field, const QString& text)
{
    QTest::keyClick(&field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&field, Qt::Key_Backspace);
    QTest::keyClicks(&field, text);
}

inline void typeValue(QDoubleSpinBox& box, double value)
{
    typeInto(box, box.locale().toString(value, 'f', box.decimals()));
}

inline void click(QWidget* widget)
{
    QTest::mouseClick(widget, Qt::LeftButton);
}

inline void clickRow(QListWidget& list, int row)
{
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier,
                      list.visualItemRect(list.item(row)).center());
}

inline QStringList rowTexts(const QListWidget& list)
{
    QStringList texts;
    for (int row = 0; row < list.count(); ++row) {
        texts << list.item(row)->text();
    }
    return texts;
}

// QTest's own moves go through the real pointer, which holds no button.
inline void sendMouse(QWidget& widget, QEvent::Type type, QPoint at, Qt::MouseButton button,
                      Qt::MouseButtons held)
{
    QMouseEvent event(type, at, widget.mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

inline void turnWheel(QWidget& widget, int delta)
{
    const QPoint at = widget.rect().center();
    QWheelEvent event(QPointF(at), QPointF(widget.mapToGlobal(at)), QPoint(), QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&widget, &event);
}

// Cursor shapes set on a widget, in order. The echo a native widget's window
// sends on a shape change is not counted.
class CursorLog : public QObject
{
public:
    explicit CursorLog(QWidget& widget) : widget_(widget), window_(widget.windowHandle())
    {
        widget_.installEventFilter(this);
        window_->installEventFilter(this);
    }
    ~CursorLog() override
    {
        widget_.removeEventFilter(this);
        if (window_ != nullptr) {
            window_->removeEventFilter(this);
        }
    }
    QList<Qt::CursorShape> shapes;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::CursorChange) {
            if (watched == window_) {
                echo_ = true;
            } else if (!std::exchange(echo_, false)) {
                shapes << widget_.cursor().shape();
            }
        }
        return false;
    }

private:
    QWidget& widget_;
    QPointer<QWindow> window_;
    bool echo_ = false;
};

// A command's dialog runs a nested event loop, so a timer inside it answers.
// True when exactly one Dialog opened and was answered; any other dialog, or
// one the answer leaves open, is rejected so that the test fails, not hangs.
template <typename Dialog>
bool answerModal(const std::function<void()>& open, const std::function<void(Dialog&)>& answer)
{
    int answered = 0;
    int wrong = 0;
    int ticks = 0;
    QPointer<QDialog> answering;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible()) {
            return;
        }
        auto* expected = qobject_cast<Dialog*>(dialog);
        if (dialog != answering && expected != nullptr && answered == 0) {
            ++answered;
            answering = dialog;
            answer(*expected);
        } else if (dialog != answering || ++ticks > 500) {
            ++wrong;
            dialog->reject();
        }
    });
    timer.start(10);
    open();
    return answered == 1 && wrong == 0;
}

// Generator index, seed text (empty: "Random seed" stays checked), size, OK or Cancel.
struct NewWorldChoice
{
    NewWorldChoice(int generator = 0, QString seedText = {}, int width = 50, int length = 50,
                   bool ok = true)
        : generator(generator), seedText(std::move(seedText)), width(width), length(length), ok(ok)
    {}
    int generator;
    QString seedText;
    int width;
    int length;
    bool ok;
};

inline bool runNewWorld(MainWindow& window, const NewWorldChoice& choice)
{
    return answerModal<NewWorldDialog>(
        [&] { window.form()->actionNewWorld->trigger(); },
        [&](NewWorldDialog& dialog) {
            NewWorldDialogForm& form = *dialog.form();
            QTest::keyClick(form.comboBox, Qt::Key_Home);
            for (int i = 0; i < choice.generator; ++i) {
                QTest::keyClick(form.comboBox, Qt::Key_Down);
            }
            if (!choice.seedText.isEmpty()) {
                // The check box reacts only to its indicator and text.
                const int middle = form.checkBox->height() / 2;
                QTest::mouseClick(form.checkBox, Qt::LeftButton, {}, QPoint(middle, middle));
                QTest::keyClicks(form.seed, choice.seedText);
            }
            typeInto(*form.sizeX, QString::number(choice.width));
            typeInto(*form.sizeY, QString::number(choice.length));
            click(form.buttonBox->button(choice.ok ? QDialogButtonBox::Ok
                                                   : QDialogButtonBox::Cancel));
        });
}

// The name to type (null: left alone), arrow presses per coefficient index, OK or Cancel.
struct FilterEntry
{
    FilterEntry(QString name = {}, std::map<int, int> presses = {}, bool ok = true)
        : name(std::move(name)), presses(std::move(presses)), ok(ok)
    {}
    QString name;
    std::map<int, int> presses;
    bool ok;
};

inline void answerFilter(EditFilterDialog& dialog, const FilterEntry& entry)
{
    EditFilterDialogForm& form = *dialog.form();
    if (!entry.name.isNull()) {
        typeInto(*form.customNameLineEdit, entry.name);
    }
    for (const auto& [index, presses] : entry.presses) {
        for (int i = 0; i < std::abs(presses); ++i) {
            QTest::keyClick(form.coefficientBoxes().at(std::size_t(index)),
                            presses > 0 ? Qt::Key_Up : Qt::Key_Down);
        }
    }
    click(entry.ok ? form.okButton : form.cancelButton);
}

inline bool runAddFilter(MainWindow& window, const FilterEntry& entry)
{
    return answerModal<EditFilterDialog>([&] { click(window.form()->addFilterButton); },
                                         [&](EditFilterDialog& d) { answerFilter(d, entry); });
}

// Same size and the same heights (a NaN matches a NaN).
inline bool sameHeights(const Map& a, const Map& b)
{
    const auto same = [](const MapPoint& p, const MapPoint& q) {
        return p.z() == q.z() || (std::isnan(p.z()) && std::isnan(q.z()));
    };
    return a.width() == b.width() && a.length() == b.length() &&
           std::equal(a.points().begin(), a.points().end(), b.points().begin(), same);
}

} // namespace WindowDriver

Q_DECLARE_METATYPE(WindowDriver::NewWorldChoice)
Q_DECLARE_METATYPE(WindowDriver::FilterEntry)
