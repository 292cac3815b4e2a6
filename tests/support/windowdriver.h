#pragma once

// The main window driven as a user drives it, and what its view shows; for the
// widget tests, the UI benchmark and the screenshot tool.

#include "app/mainwindow.h"
#include "app/mainwindowform.h"
#include "app/newworlddialog.h"
#include "filters/editfilterdialog.h"
#include "view/glwidget.h"

#include <QtTest>
#include <QtWidgets>
#include <functional>
#include <map>

namespace WindowDriver {

// The windows of a test keep their settings in a folder of the test's own,
// gone at its end: no test sees another's choices, nor the user's.
inline const struct PrivateSettings
{
    QTemporaryDir folder;
    PrivateSettings()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.path());
    }
} privateSettings;

// With no window manager under Xvfb an inactive window receives no shortcut.
inline bool showActive(QWidget& window)
{
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

inline void click(QWidget* widget)
{
    QTest::mouseClick(widget, Qt::LeftButton);
}

inline void typeInto(QWidget* field, const QString& text)
{
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, text);
}

inline void clickRow(QListWidget& list, int row)
{
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                      list.visualItemRect(list.item(row)).center());
}

inline QStringList rowTexts(const QListWidget& list)
{
    QStringList texts;
    for (int row = 0; row < list.count(); ++row)
        texts << list.item(row)->text();
    return texts;
}

// QTest's own mouse moves hold no button.
inline void sendMouse(QWidget& widget, QEvent::Type type, QPoint at, Qt::MouseButton button,
                      Qt::MouseButtons held)
{
    QMouseEvent event(type, at, widget.mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

inline void drag(QWidget& widget, Qt::MouseButton button, QPoint from, QPoint to)
{
    sendMouse(widget, QEvent::MouseButtonPress, from, button, button);
    sendMouse(widget, QEvent::MouseMove, to, Qt::NoButton, button);
    sendMouse(widget, QEvent::MouseButtonRelease, to, button, Qt::NoButton);
}

// angle: the wheel's turn in eighths of a degree, sideways and forward.
inline void turnWheel(QWidget& widget, QPoint angle)
{
    const QPoint at = widget.rect().center();
    QWheelEvent event(at, widget.mapToGlobal(at), {}, angle, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&widget, &event);
}

// The frame the view draws now, read back before a buffer swap can change it.
inline QImage frameOf(GLWidget& view)
{
    struct Swap : GLWidget
    {
        static void set(GLWidget& view, bool on) { (view.*(&Swap::setAutoBufferSwap))(on); }
    };
    Swap::set(view, false);
    view.updateGL();
    QImage image = view.grabFrameBuffer();
    Swap::set(view, true);
    return image;
}

// The cursor shapes set on a widget, "wait", "arrow" or the shape's number, each with
// what `note` says then; the echo that a native widget's window sends is not counted.
class CursorLog : public QObject
{
public:
    explicit CursorLog(QWidget& widget, std::function<QString()> note = {})
        : widget_(widget), window_(widget.windowHandle()), note_(std::move(note))
    {
        widget_.installEventFilter(this);
        window_->installEventFilter(this);
    }
    QString log() const { return entries_.join(", "); }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::CursorChange && watched == window_) {
            echo_ = true;
        } else if (event->type() == QEvent::CursorChange && !std::exchange(echo_, false)) {
            const Qt::CursorShape shape = widget_.cursor().shape();
            entries_ << (shape == Qt::WaitCursor    ? QString("wait")
                         : shape == Qt::ArrowCursor ? QString("arrow")
                                                    : QString::number(shape)) +
                            (note_ && !note_().isEmpty() ? " " + note_() : QString());
        }
        return false;
    }

private:
    QWidget& widget_;
    QPointer<QWindow> window_;
    std::function<QString()> note_;
    QStringList entries_;
    bool echo_ = false;
};

// The window's "Save changes?" question: a message box that offers Discard.
inline QMessageBox* saveQuestion(QWidget* widget)
{
    auto* box = qobject_cast<QMessageBox*>(widget);
    return box != nullptr && box->button(QMessageBox::Discard) != nullptr ? box : nullptr;
}

// What the driver answers to "Save changes?" before a command's own dialog,
// and how many times it was asked; a test that checks the question itself
// sets the answer to NoButton and answers it as any other dialog.
struct SaveQuestions
{
    QMessageBox::StandardButton answer = QMessageBox::Discard;
    int asked = 0;
};
inline SaveQuestions& saveQuestions()
{
    static SaveQuestions questions;
    return questions;
}

// A command's dialog runs a nested event loop, so a timer inside it answers. True when
// one Dialog opened and was answered; any other modal, or one left open, is rejected.
template <typename Dialog>
bool answerModal(const std::function<void()>& open, const std::function<void(Dialog&)>& answer)
{
    int answered = 0, wrong = 0, ticks = 0;
    QPointer<QDialog> answering;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        auto* expected = qobject_cast<Dialog*>(dialog);
        if (dialog == nullptr || !dialog->isVisible())
            return;
        if (QMessageBox* question = saveQuestion(dialog);
            question != nullptr && saveQuestions().answer != QMessageBox::NoButton) {
            ++saveQuestions().asked;
            click(question->button(saveQuestions().answer));
            return;
        }
        if (dialog != answering && expected != nullptr && answered++ == 0) {
            answering = dialog;
            answer(*expected);
        } else if (dialog != answering || ++ticks > 2000) {
            ++wrong;
            dialog->reject();
        }
    });
    timer.start(1);
    open();
    return answered == 1 && wrong == 0;
}

// Runs a command while the driver answers "Save changes?" as saveQuestions() says and
// turns down any other modal.
inline void whileAnswering(const std::function<void()>& command)
{
    answerModal<QDialog>(command, [](QDialog& dialog) { dialog.reject(); });
}

// Waits until the window builds nothing in the background any more and has
// taken in what it built.
inline bool waitForBuilds(MainWindow& window, int milliseconds = 120000)
{
    return QTest::qWaitFor([&window] { return !window.isWorking(); }, milliseconds);
}

// How well the window answers: a timer asks to fire every 10 ms while a command
// runs, and the latest tick says how long one event kept the loop.
class LatenessProbe
{
public:
    LatenessProbe()
    {
        tick_.setInterval(Interval);
        QObject::connect(&tick_, &QTimer::timeout, [this] {
            const qint64 now = clock_.elapsed();
            worst_ = std::max(worst_, now - last_ - Interval);
            last_ = now;
        });
    }

    void start()
    {
        clock_.start();
        last_ = 0;
        tick_.start();
    }
    void stop() { tick_.stop(); }

    // Milliseconds, over every run since the probe was made.
    qint64 worstLate() const { return worst_; }

private:
    static constexpr int Interval = 10;
    QTimer tick_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 worst_ = 0;
};

// Generator index, seed text (empty: "Random seed" stays checked), size, OK.
struct NewWorldChoice
{
    NewWorldChoice(int generator = 0, QString seedText = {}, int width = 50, int length = 50,
                   bool ok = true)
        : generator(generator), seedText(std::move(seedText)), width(width), length(length), ok(ok)
    {}
    int generator;
    QString seedText;
    int width, length;
    bool ok;
};

inline void answerNewWorld(NewWorldDialog& dialog, const NewWorldChoice& choice)
{
    NewWorldDialogForm& form = *dialog.form();
    QTest::keyClick(form.comboBox, Qt::Key_Home);
    for (int i = 0; i < choice.generator; ++i)
        QTest::keyClick(form.comboBox, Qt::Key_Down);
    // The dialog offers the last answers again: the box may be either way.
    if (form.checkBox->isChecked() != choice.seedText.isEmpty())
        QTest::keyClick(form.checkBox, Qt::Key_Space);
    if (!choice.seedText.isEmpty())
        typeInto(form.seed, choice.seedText);
    typeInto(form.sizeX, QString::number(choice.width));
    typeInto(form.sizeY, QString::number(choice.length));
    click(form.buttonBox->button(choice.ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel));
}

inline bool runNewWorld(MainWindow& window, const NewWorldChoice& choice)
{
    return answerModal<NewWorldDialog>([&] { window.form()->actionNewWorld->trigger(); },
                                       [&](NewWorldDialog& d) { answerNewWorld(d, choice); });
}

// The name to type (null: left alone), coefficient values typed by index, OK.
struct FilterEntry
{
    FilterEntry(QString name = {}, std::map<int, int> values = {}, bool ok = true)
        : name(std::move(name)), values(std::move(values)), ok(ok)
    {}
    QString name;
    std::map<int, int> values;
    bool ok;
};

inline void answerFilter(EditFilterDialog& dialog, const FilterEntry& entry)
{
    EditFilterDialogForm& form = *dialog.form();
    if (!entry.name.isNull())
        typeInto(form.customNameLineEdit, entry.name);
    for (const auto& [index, value] : entry.values)
        typeInto(form.coefficientBoxes().at(std::size_t(index)), QString::number(value));
    click(entry.ok ? form.okButton : form.cancelButton);
}

inline bool runFilterDialog(QPushButton* button, const FilterEntry& entry)
{
    return answerModal<EditFilterDialog>([&] { click(button); },
                                         [&](EditFilterDialog& d) { answerFilter(d, entry); });
}

} // namespace WindowDriver

Q_DECLARE_METATYPE(WindowDriver::NewWorldChoice)
Q_DECLARE_METATYPE(WindowDriver::FilterEntry)
