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
// which is expected to close it as a user would (a click on one of its
// buttons). Create it before the action that opens the dialog; afterwards
// answered() tells whether the dialog came and was answered, and failure()
// says what went wrong. A dialog of another class, and a dialog that the
// answer leaves open, are closed by force and reported, so that a test fails
// rather than hangs. It keeps watching for as long as it exists, so a command
// that opens a second dialog fails too: give each answer a scope of its own.
// A main window that is modal itself is not a dialog and is never taken for
// one.
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

    // True once a dialog of class Dialog was handed to the answer and closed
    // afterwards, with nothing else going wrong.
    bool answered() const { return answers_ == 1 && failure_.isEmpty(); }
    // How many dialogs of class Dialog were handed to the answer.
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
        if (toClose != nullptr) {
            toClose->reject();
        }
    }

    void poll()
    {
        QDialog* dialog = openDialog();
        if (answering_ != nullptr) {
            if (dialog == nullptr || dialog != answering_) {
                answering_ = nullptr;
                clock_.restart();
                if (dialog == nullptr) {
                    return;
                }
            } else {
                if (clock_.elapsed() > timeoutMs_) {
                    fail(QStringLiteral("the answer left the dialog open"), dialog);
                }
                return;
            }
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
