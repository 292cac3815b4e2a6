#pragma once

// The answers a user gives to the dialogs of the main window's commands: what
// to choose in the new world dialog, what to type in the filter dialog, and
// which button ends them.

#include "app/mainwindow.h"
#include "app/mainwindowform.h"
#include "app/newworlddialog.h"
#include "filters/editfilterdialog.h"
#include "modaldialogs.h"
#include "windowdriver.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>
#include <cstdlib>
#include <functional>
#include <map>

// What the user chooses in the new world dialog. The dialog opens on "Random",
// with "Random seed" checked and a 50 x 50 size; only what differs is changed.
struct NewWorldChoice
{
    int generator = 0;
    bool randomSeed = true;
    QString seedText;
    int width = 50;
    int length = 50;
    bool accept = true;
};

// What the dialog read back before the button was pressed, so that a test can
// tell a dialog it failed to fill from a command that misread it.
struct NewWorldReadBack
{
    int generator = -1;
    bool randomSeed = false;
    QByteArray seedText;
    int width = -1;
    int length = -1;
};

// Fills the dialog as a user does, then presses OK or Cancel.
inline void answerNewWorld(NewWorldDialog& dialog, const NewWorldChoice& choice,
                           NewWorldReadBack& readBack)
{
    NewWorldDialogForm& form = *dialog.form();
    // The arrow keys walk a closed combo box through its items.
    QTest::keyClick(form.comboBox, Qt::Key_Home);
    for (int i = 0; i < choice.generator; ++i) {
        QTest::keyClick(form.comboBox, Qt::Key_Down);
    }
    if (!choice.randomSeed) {
        // A click on the box itself: the check box reacts only to its indicator and text.
        const int middle = form.checkBox->height() / 2;
        QTest::mouseClick(form.checkBox, Qt::LeftButton, Qt::NoModifier, QPoint(middle, middle));
        QTest::keyClicks(form.seed, choice.seedText);
    }
    if (choice.width != form.sizeX->value()) {
        WindowDriver::typeValue(*form.sizeX, choice.width);
    }
    if (choice.length != form.sizeY->value()) {
        WindowDriver::typeValue(*form.sizeY, choice.length);
    }
    readBack = {dialog.generatorIndex(), dialog.isRandomSeed(), dialog.seedText(),
                dialog.mapWidth(), dialog.mapLength()};
    QPushButton* button =
        form.buttonBox->button(choice.accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel);
    QTest::mouseClick(button, Qt::LeftButton);
}

// True when the dialog read back what was chosen.
inline bool readBackMatches(const NewWorldChoice& choice, const NewWorldReadBack& readBack)
{
    return readBack.generator == choice.generator && readBack.randomSeed == choice.randomSeed &&
           (choice.randomSeed || readBack.seedText == choice.seedText.toLatin1()) &&
           readBack.width == choice.width && readBack.length == choice.length;
}

// What the user types in the filter dialog: the name (when changeName) and,
// per spin box number, arrow presses (up when positive, down when negative).
struct FilterEntry
{
    bool changeName = false;
    QString name;
    std::map<int, int> arrowPresses;
    enum class Ending
    {
        Ok,
        Cancel,
        CloseBox
    } ending = Ending::Ok;
};

inline void answerFilterDialog(EditFilterDialog& dialog, const FilterEntry& entry)
{
    EditFilterDialogForm& form = *dialog.form();
    if (entry.changeName) {
        WindowDriver::typeInto(*form.customNameLineEdit, entry.name);
    }
    const EditFilterDialogForm::CoefficientBoxes boxes = form.coefficientBoxes();
    for (const auto& [number, presses] : entry.arrowPresses) {
        QSpinBox* box = boxes.at(std::size_t(number - 1));
        const Qt::Key key = presses > 0 ? Qt::Key_Up : Qt::Key_Down;
        for (int i = 0; i < std::abs(presses); ++i) {
            QTest::keyClick(box, key);
        }
    }
    if (entry.ending == FilterEntry::Ending::CloseBox) {
        QCloseEvent close; // what the window's close box sends
        QApplication::sendEvent(&dialog, &close);
    } else {
        const bool ok = entry.ending == FilterEntry::Ending::Ok;
        QTest::mouseClick(ok ? form.okButton : form.cancelButton, Qt::LeftButton);
    }
}

// The coefficients the entry gives a filter that had the given ones.
inline FilterMatrix::Coefficients enteredCoefficients(FilterMatrix::Coefficients start,
                                                      const FilterEntry& entry)
{
    for (const auto& [number, presses] : entry.arrowPresses) {
        int& value = start.at(std::size_t(number - 1));
        value = qBound(-100, value + presses, 100);
    }
    return start;
}

// Clicks Ok on the warning box after noting its title and text.
struct WarningSeen
{
    QString title;
    QString text;
};

inline void answerWarning(QMessageBox& box, WarningSeen& seen)
{
    seen = {box.windowTitle(), box.text()};
    QTest::mouseClick(box.button(QMessageBox::Ok), Qt::LeftButton);
}

// Runs New world (by open, else the action's trigger) and answers its dialog
// with the choice; false, with the reason in why, when the dialog did not come
// or did not read back the choice.
inline bool runNewWorld(MainWindow& window, const NewWorldChoice& choice, QString& why,
                        const std::function<void()>& open = {})
{
    NewWorldReadBack readBack;
    if (!openAndAnswer<NewWorldDialog>(
            open ? open : [&] { window.form()->actionNewWorld->trigger(); },
            [&](NewWorldDialog& dialog) { answerNewWorld(dialog, choice, readBack); }, why)) {
        return false;
    }
    if (!readBackMatches(choice, readBack)) {
        why = QStringLiteral("the new world dialog was not filled as chosen");
        return false;
    }
    return true;
}

// Clicks Add and answers the filter dialog with the entry.
inline bool runAddFilter(MainWindow& window, const FilterEntry& entry, QString& why)
{
    return openAndAnswer<EditFilterDialog>(
        [&] { QTest::mouseClick(window.form()->addFilterButton, Qt::LeftButton); },
        [&](EditFilterDialog& dialog) { answerFilterDialog(dialog, entry); }, why);
}
