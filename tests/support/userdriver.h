#pragma once

// Answers the modal dialogs of the window's commands as a user would (also used by the UI bench).

#include "app/newworlddialog.h"
#include "filters/editfilterdialog.h"

#include <QtWidgets>
#include <functional>

namespace UserDriver {

// Hands the next modal dialog to `answer`, once, from inside its event loop. Destroying it
// disarms it, so a modal that never came cannot take the answer meant for a later one.
class ModalAnswer
{
public:
    explicit ModalAnswer(std::function<void(QWidget*)> answer) : answer_(std::move(answer))
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            // The main window is application modal itself; only a dialog counts.
            auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (modal == nullptr || !modal->isVisible()) {
                return;
            }
            timer_.stop();
            answered_ = true;
            answer_(modal);
            if (modal->isVisible()) { // not the modal expected: let the command end
                modal->reject();
            }
        });
        timer_.start(0);
    }

    bool answered() const { return answered_; }

private:
    std::function<void(QWidget*)> answer_;
    QTimer timer_; // also makes the answer neither copyable nor movable
    bool answered_ = false;
};

struct NewWorldAnswer
{
    int generatorIndex = 0;
    bool randomSeed = true;
    QString seedText;
    int width = 50, length = 50;
    bool accept = true;
};

// Each answer returns false when the modal is not the dialog it is meant for.
inline bool answerNewWorld(QWidget* modal, const NewWorldAnswer& answer)
{
    auto* dialog = qobject_cast<NewWorldDialog*>(modal);
    if (dialog == nullptr) {
        return false;
    }
    NewWorldDialogForm* form = dialog->form();
    form->comboBox->setCurrentIndex(answer.generatorIndex);
    form->checkBox->setChecked(answer.randomSeed);
    form->seed->setText(answer.seedText);
    form->sizeX->setValue(answer.width);
    form->sizeY->setValue(answer.length);
    form->buttonBox->button(answer.accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)
        ->click();
    return true;
}

struct FilterAnswer
{
    QString name;
    FilterMatrix::Coefficients coefficients{};
    bool accept = true;
};

inline bool answerFilter(QWidget* modal, const FilterAnswer& answer)
{
    auto* dialog = qobject_cast<EditFilterDialog*>(modal);
    if (dialog == nullptr) {
        return false;
    }
    EditFilterDialogForm* form = dialog->form();
    form->customNameLineEdit->setText(answer.name);
    const EditFilterDialogForm::CoefficientBoxes boxes = form->coefficientBoxes();
    for (std::size_t k = 0; k < boxes.size(); ++k) {
        boxes[k]->setValue(answer.coefficients[k]);
    }
    (answer.accept ? form->okButton : form->cancelButton)->click();
    return true;
}

inline bool acknowledgeMessage(QWidget* modal)
{
    auto* box = qobject_cast<QMessageBox*>(modal);
    QAbstractButton* ok = box != nullptr ? box->button(QMessageBox::Ok) : nullptr;
    if (ok != nullptr) {
        ok->click();
    }
    return ok != nullptr;
}

} // namespace UserDriver
