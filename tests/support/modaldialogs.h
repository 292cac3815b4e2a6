#pragma once

// Answering the modal dialogs that a command opens inside its own slot. The
// dialog runs a nested event loop, so the answer has to come from a timer that
// fires inside that loop.

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>

// Waits for the next modal dialog of class Dialog and hands it to the answer,
// which closes it as a user would (a click on one of its buttons). Create it
// before the action that opens the dialog. A dialog of another class, a second
// dialog, and a dialog the answer leaves open are closed by force and reported
// in failure(), so that a test fails rather than hangs: give each answer a
// scope of its own. A modal main window is not a dialog and never taken for one.
template <typename Dialog> class ModalAnswer
{
public:
    using Answer = std::function<void(Dialog&)>;

    explicit ModalAnswer(Answer answer, int timeoutMs = 10000)
        : answer_(std::move(answer)), timeoutMs_(timeoutMs)
    {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        clock_.start();
        timer_.start();
    }

    ModalAnswer(const ModalAnswer&) = delete;
    ModalAnswer& operator=(const ModalAnswer&) = delete;

    // True once exactly one Dialog was answered and closed, with nothing else going wrong.
    bool answered() const { return answers_ == 1 && failure_.isEmpty(); }
    int answers() const { return answers_; }
    const QString& failure() const { return failure_; }

private:
    static QDialog* openDialog()
    {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        return dialog != nullptr && dialog->isVisible() ? dialog : nullptr;
    }

    void fail(const QString& reason, QDialog* toClose)
    {
        if (failure_.isEmpty()) {
            failure_ = reason;
        }
        toClose->reject();
    }

    void poll()
    {
        QDialog* dialog = openDialog();
        if (answering_ != nullptr && dialog == answering_) {
            if (clock_.elapsed() > timeoutMs_) {
                fail(QStringLiteral("the answer left the dialog open"), dialog);
            }
            return;
        }
        if (answering_ != nullptr) {
            answering_ = nullptr;
            clock_.restart();
        }
        if (dialog == nullptr) {
            return;
        }
        auto* expected = qobject_cast<Dialog*>(dialog);
        if (expected == nullptr || answers_ > 0) {
            fail(QStringLiteral("an unexpected %1 opened").arg(dialog->metaObject()->className()),
                 dialog);
            return;
        }
        ++answers_;
        answering_ = dialog;
        clock_.restart();
        answer_(*expected);
    }

    Answer answer_;
    int timeoutMs_;
    QTimer timer_;
    QElapsedTimer clock_;
    QPointer<QDialog> answering_;
    int answers_ = 0;
    QString failure_;
};

// Runs open, which should open a modal Dialog, and answers that dialog; false,
// with the reason in why, when it did not come or was not answered cleanly.
template <typename Dialog>
bool openAndAnswer(const std::function<void()>& open, typename ModalAnswer<Dialog>::Answer answer,
                   QString& why)
{
    ModalAnswer<Dialog> modal(std::move(answer));
    open();
    if (modal.answered()) {
        return true;
    }
    why = QStringLiteral("%1: %2").arg(QLatin1String(Dialog::staticMetaObject.className()),
                                       modal.failure().isEmpty() ? QStringLiteral("never opened")
                                                                 : modal.failure());
    return false;
}

// Closes by force any dialog that opens while it exists, and records it: for
// commands that must not open one.
class NoDialogExpected
{
public:
    NoDialogExpected() : guard_([](QDialog& dialog) { dialog.reject(); }) {}

    bool dialogOpened() const { return guard_.answers() > 0 || !guard_.failure().isEmpty(); }

private:
    ModalAnswer<QDialog> guard_;
};
