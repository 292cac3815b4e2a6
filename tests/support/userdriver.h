#pragma once

// Helpers that act on the main window the way a user does: they answer the
// modal dialogs that the window's commands open, from inside the dialog's own
// event loop. Header-only, so the UI benchmark can use them too.

#include "app/newworlddialog.h"
#include "filters/editfilterdialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QByteArray>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

namespace UserDriver {

// Arms a zero-interval timer that waits for the next modal dialog and hands it
// to `answer`, once. Arm it just before the command that may open the modal;
// the timer only fires inside that modal's event loop. Destroying the answer
// disarms it, so a modal that never came cannot take the answer meant for a
// later one.
class ModalAnswer
{
public:
    explicit ModalAnswer(std::function<void(QWidget*)> answer)
        : answer_(std::move(answer)), timer_(std::make_unique<QTimer>())
    {
        timer_->setInterval(0);
        QObject::connect(timer_.get(), &QTimer::timeout, [this] {
            // The main window is application modal itself; only a dialog counts.
            auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (modal == nullptr || !modal->isVisible()) {
                return;
            }
            timer_->stop();
            answered_ = true;
            answer_(modal);
        });
        timer_->start();
    }
    ModalAnswer(const ModalAnswer&) = delete;
    ModalAnswer& operator=(const ModalAnswer&) = delete;

    bool answered() const { return answered_; }

private:
    std::function<void(QWidget*)> answer_;
    std::unique_ptr<QTimer> timer_;
    bool answered_ = false;
};

// How the user ends a dialog: a click on OK or Cancel, Enter (the default
// button, OK) or Escape, or the window's close box (which rejects).
enum class Ending
{
    ClickOk,
    ClickCancel,
    PressEnter,
    PressEscape,
    CloseWindow
};

inline bool accepts(Ending ending)
{
    return ending == Ending::ClickOk || ending == Ending::PressEnter;
}

// Ends the dialog as the user would; `ok` and `cancel` are its two buttons.
inline void endDialog(QDialog* dialog, Ending ending, QAbstractButton* ok, QAbstractButton* cancel)
{
    switch (ending) {
    case Ending::ClickOk:
        ok->click();
        break;
    case Ending::ClickCancel:
        cancel->click();
        break;
    case Ending::PressEnter:
        QTest::keyClick(dialog, Qt::Key_Return);
        break;
    case Ending::PressEscape:
        QTest::keyClick(dialog, Qt::Key_Escape);
        break;
    case Ending::CloseWindow:
        dialog->close();
        break;
    }
}

// What the user enters in the New world dialog.
struct NewWorldAnswer
{
    int generatorIndex = 0;
    bool randomSeed = true;
    QString seedText;
    int width = 50;
    int length = 50;
    Ending ending = Ending::ClickOk;
};

// Fills the dialog as the answer says and ends it with OK or Cancel. Returns
// false when the modal is not a new world dialog (it is then rejected).
inline bool answerNewWorld(QWidget* modal, const NewWorldAnswer& answer)
{
    auto* dialog = qobject_cast<NewWorldDialog*>(modal);
    if (dialog == nullptr) {
        if (auto* other = qobject_cast<QDialog*>(modal)) {
            other->reject();
        }
        return false;
    }
    NewWorldDialogForm* form = dialog->form();
    form->comboBox->setCurrentIndex(answer.generatorIndex);
    form->checkBox->setChecked(answer.randomSeed);
    form->seed->setText(answer.seedText);
    form->sizeX->setValue(answer.width);
    form->sizeY->setValue(answer.length);
    endDialog(dialog, answer.ending, form->buttonBox->button(QDialogButtonBox::Ok),
              form->buttonBox->button(QDialogButtonBox::Cancel));
    return true;
}

// What the user enters in the filter dialog. An empty `coefficients` leaves
// the spin boxes as the dialog opened with them; the same for `name` when
// `keepName` is set.
struct FilterAnswer
{
    bool keepName = false;
    QString name;
    bool keepCoefficients = false;
    FilterMatrix::Coefficients coefficients{};
    Ending ending = Ending::ClickOk;
};

inline bool answerFilter(QWidget* modal, const FilterAnswer& answer)
{
    auto* dialog = qobject_cast<EditFilterDialog*>(modal);
    if (dialog == nullptr) {
        if (auto* other = qobject_cast<QDialog*>(modal)) {
            other->reject();
        }
        return false;
    }
    EditFilterDialogForm* form = dialog->form();
    if (!answer.keepName) {
        form->customNameLineEdit->setText(answer.name);
    }
    if (!answer.keepCoefficients) {
        const EditFilterDialogForm::CoefficientBoxes boxes = form->coefficientBoxes();
        for (std::size_t k = 0; k < boxes.size(); ++k) {
            boxes[k]->setValue(answer.coefficients[k]);
        }
    }
    endDialog(dialog, answer.ending, form->okButton, form->cancelButton);
    return true;
}

// Clicks Ok on a message box; returns false for any other modal.
inline bool acknowledgeMessage(QWidget* modal, QString* title = nullptr, QString* text = nullptr)
{
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (box == nullptr) {
        if (auto* other = qobject_cast<QDialog*>(modal)) {
            other->reject();
        }
        return false;
    }
    if (title != nullptr) {
        *title = box->windowTitle();
    }
    if (text != nullptr) {
        *text = box->text();
    }
    QAbstractButton* ok = box->button(QMessageBox::Ok);
    if (ok == nullptr) {
        box->reject();
        return false;
    }
    ok->click();
    return true;
}

} // namespace UserDriver
