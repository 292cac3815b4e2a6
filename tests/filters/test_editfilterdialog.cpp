#include "filters/editfilterdialog.h"
#include "formmembers.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>
#include <cstddef>
#include <cstdint>
#include <limits>

using Coefficients = FilterMatrix::Coefficients;

enum class Ending
{
    ClickOk,
    ClickCancel,
    EnterInName,
    CloseWindow
};
Q_DECLARE_METATYPE(Ending)
Q_DECLARE_METATYPE(Coefficients)

namespace {

// clang-format off
#define SPIN(member) FORM_MEMBER(EditFilterDialogForm, member, "QSpinBox", "EditFilterDialog")
// clang-format on

const FormMember<EditFilterDialogForm> expectedMembers[] = {
    FORM_MEMBER(EditFilterDialogForm, verticalLayout, "QVBoxLayout", "EditFilterDialog"),
    FORM_MEMBER(EditFilterDialogForm, label_2, "QLabel", "EditFilterDialog"),
    FORM_MEMBER(EditFilterDialogForm, customNameLineEdit, "QLineEdit", "EditFilterDialog"),
    FORM_MEMBER(EditFilterDialogForm, label, "QLabel", "EditFilterDialog"),
    FORM_MEMBER(EditFilterDialogForm, matrixGridLayout, "QGridLayout", "verticalLayout"),
    // clang-format off
    SPIN(spinBox_4), SPIN(spinBox_5), SPIN(spinBox_2), SPIN(spinBox_3), SPIN(spinBox),
    SPIN(spinBox_19), SPIN(spinBox_20), SPIN(spinBox_7), SPIN(spinBox_16), SPIN(spinBox_6),
    SPIN(spinBox_9), SPIN(spinBox_10), SPIN(spinBox_8), SPIN(spinBox_11), SPIN(spinBox_12),
    SPIN(spinBox_14), SPIN(spinBox_13), SPIN(spinBox_15), SPIN(spinBox_17), SPIN(spinBox_18),
    SPIN(spinBox_21), SPIN(spinBox_22), SPIN(spinBox_23), SPIN(spinBox_24), SPIN(spinBox_25),
    // clang-format on
    FORM_MEMBER(EditFilterDialogForm, horizontalLayout, "QHBoxLayout", "verticalLayout"),
    FORM_MEMBER(EditFilterDialogForm, cancelButton, "QPushButton", "EditFilterDialog"),
    FORM_MEMBER(EditFilterDialogForm, okButton, "QPushButton", "EditFilterDialog"),
};

// The grid as the user sees it: the object name of the spin box in each cell.
const char* const GridNames[5][5] = {
    {"spinBox", "spinBox_6", "spinBox_11", "spinBox_16", "spinBox_21"},
    {"spinBox_2", "spinBox_7", "spinBox_12", "spinBox_17", "spinBox_22"},
    {"spinBox_3", "spinBox_8", "spinBox_13", "spinBox_18", "spinBox_23"},
    {"spinBox_4", "spinBox_9", "spinBox_14", "spinBox_19", "spinBox_24"},
    {"spinBox_5", "spinBox_10", "spinBox_15", "spinBox_20", "spinBox_25"},
};

QString spinBoxName(int number)
{
    return number == 1 ? QString("spinBox") : QString("spinBox_%1").arg(number);
}

// Spin box number N found by its object name, independently of the form's own mapping.
QSpinBox* spinBoxNumber(const EditFilterDialog& dialog, int number)
{
    return dialog.findChild<QSpinBox*>(spinBoxName(number), Qt::FindDirectChildrenOnly);
}

QString listed(const Coefficients& coefficients)
{
    QStringList values;
    for (std::int32_t value : coefficients)
        values << QString::number(value);
    return values.join(' ');
}

} // namespace

class TestEditFilterDialog : public QObject
{
    Q_OBJECT

private slots:
    void opensEmpty();
    void matrixRoundTrip_data();
    void matrixRoundTrip();
    void elementThirteenLandsInSpinBox14();
    void gridPlacement();
    void coefficientsClamp();
    void textsAndLayout();
    void sizeIsFixed();
    void endingGivesResult_data();
    void endingGivesResult();
    void customNameKeepsSpaces();
    void tabWalksNameGridButtons();
    void formMembers_data();
    void formMembers();
    void childrenAreCreatedInDeclarationOrder();
};

void TestEditFilterDialog::opensEmpty()
{
    EditFilterDialog dialog;

    QVERIFY(dialog.customName().isEmpty());
    QCOMPARE(listed(dialog.matrix()), listed(Coefficients{}));
    for (int number = 1; number <= 25; ++number) {
        const QSpinBox* box = spinBoxNumber(dialog, number);
        QVERIFY2(box != nullptr, qPrintable(spinBoxName(number)));
        QCOMPARE(box->value(), 0);
        QCOMPARE(box->minimum(), -100);
        QCOMPARE(box->maximum(), 100);
        QCOMPARE(box->singleStep(), 1);
        QVERIFY(box->prefix().isEmpty() && box->suffix().isEmpty());
        QCOMPARE(box->whatsThis(),
                 QString("A coefficient value which will be used to compute the output map."));
    }
}

void TestEditFilterDialog::matrixRoundTrip_data()
{
    QTest::addColumn<Coefficients>("coefficients");
    Coefficients distinct{};
    Coefficients extremes{};
    for (std::size_t k = 0; k < distinct.size(); ++k) {
        distinct[k] = std::int32_t(k) - 12;
        extremes[k] = k % 2 == 0 ? -100 : 100;
    }
    QTest::newRow("distinct k - 12") << distinct;
    QTest::newRow("alternating extremes") << extremes;
}

void TestEditFilterDialog::matrixRoundTrip()
{
    QFETCH(Coefficients, coefficients);
    EditFilterDialog dialog;

    dialog.setMatrix(coefficients);

    QCOMPARE(listed(dialog.matrix()), listed(coefficients));
    for (int number = 1; number <= 25; ++number)
        QCOMPARE(spinBoxNumber(dialog, number)->value(), coefficients[std::size_t(number - 1)]);
}

void TestEditFilterDialog::elementThirteenLandsInSpinBox14()
{
    EditFilterDialog dialog;
    const EditFilterDialogForm& form = *dialog.form();
    Coefficients single{};
    single[13] = 37;

    dialog.setMatrix(single);

    QCOMPARE(form.spinBox_14->value(), 37);
    QLayoutItem* cell = form.matrixGridLayout->itemAtPosition(3, 2);
    QVERIFY(cell != nullptr);
    QVERIFY(cell->widget() == form.spinBox_14);
}

void TestEditFilterDialog::gridPlacement()
{
    EditFilterDialog dialog;
    QGridLayout* grid = dialog.form()->matrixGridLayout;
    QCOMPARE(grid->count(), 25);
    for (int row = 0; row < 5; ++row) {
        for (int column = 0; column < 5; ++column) {
            QLayoutItem* cell = grid->itemAtPosition(row, column);
            QVERIFY(cell != nullptr && cell->widget() != nullptr);
            QCOMPARE(cell->widget()->objectName(), QString(GridNames[row][column]));
            QCOMPARE(int(cell->alignment()), 0);
            int foundRow = -1, foundColumn = -1, rowSpan = 0, columnSpan = 0;
            grid->getItemPosition(grid->indexOf(cell->widget()), &foundRow, &foundColumn, &rowSpan,
                                  &columnSpan);
            QCOMPARE(rowSpan, 1);
            QCOMPARE(columnSpan, 1);
        }
    }
}

// A spin box never holds a value outside -100 to 100.
void TestEditFilterDialog::coefficientsClamp()
{
    Coefficients entered{};
    entered[0] = 101;
    entered[1] = -101;
    entered[2] = std::numeric_limits<std::int32_t>::max();
    entered[3] = std::numeric_limits<std::int32_t>::min();
    Coefficients kept{};
    kept[0] = kept[2] = 100;
    kept[1] = kept[3] = -100;

    EditFilterDialog dialog;
    dialog.setMatrix(entered);
    QCOMPARE(listed(dialog.matrix()), listed(kept));
}

void TestEditFilterDialog::textsAndLayout()
{
    EditFilterDialog dialog;
    const EditFilterDialogForm& form = *dialog.form();

    QCOMPARE(dialog.metaObject()->className(), "EditFilterDialog");
    QCOMPARE(dialog.objectName(), QString("EditFilterDialog"));
    QCOMPARE(dialog.windowTitle(), QString("Edit filter"));
    QCOMPARE(form.label_2->text(),
             QString("Enter a custom name for the filter (leave blank for default)."));
    QCOMPARE(form.label->text(), QString("Apply a convolution matrix."));
    QCOMPARE(form.cancelButton->text(), QString("Cancel"));
    QCOMPARE(form.okButton->text(), QString("OK"));
    QVERIFY(!dialog.isModal());
    QVERIFY(form.okButton->isDefault());
    QVERIFY(!form.cancelButton->isDefault());

    QVERIFY(dialog.layout() == form.verticalLayout);
    QCOMPARE(form.verticalLayout->count(), 5);
    QVERIFY(form.verticalLayout->itemAt(0)->widget() == form.label_2);
    QVERIFY(form.verticalLayout->itemAt(1)->widget() == form.customNameLineEdit);
    QVERIFY(form.verticalLayout->itemAt(2)->widget() == form.label);
    QVERIFY(form.verticalLayout->itemAt(3)->layout() == form.matrixGridLayout);
    QVERIFY(form.verticalLayout->itemAt(4)->layout() == form.horizontalLayout);

    QCOMPARE(form.matrixGridLayout->sizeConstraint(), QLayout::SetMaximumSize);
    QCOMPARE(form.matrixGridLayout->horizontalSpacing(), 6);
    QCOMPARE(form.matrixGridLayout->verticalSpacing(), 12);
    QCOMPARE(form.horizontalLayout->sizeConstraint(), QLayout::SetDefaultConstraint);
    QCOMPARE(form.horizontalLayout->count(), 2);
    QVERIFY(form.horizontalLayout->itemAt(0)->widget() == form.cancelButton);
    QVERIFY(form.horizontalLayout->itemAt(1)->widget() == form.okButton);

    for (const QLabel* label : {form.label_2, form.label}) {
        QCOMPARE(label->sizePolicy().horizontalPolicy(), QSizePolicy::Preferred);
        QCOMPARE(label->sizePolicy().verticalPolicy(), QSizePolicy::Fixed);
        QCOMPARE(label->minimumSize(), QSize(382, 12));
        QCOMPARE(label->maximumSize(), QSize(16777215, 12));
    }
}

void TestEditFilterDialog::sizeIsFixed()
{
    EditFilterDialog dialog;
    QVERIFY(!dialog.isSizeGripEnabled());
    QCOMPARE(dialog.sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
    QCOMPARE(dialog.sizePolicy().verticalPolicy(), QSizePolicy::Fixed);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.size(), QSize(400, 300));

    dialog.resize(640, 480);
    QCOMPARE(dialog.size(), QSize(400, 300));
    // The window system gets the same bounds, so a user drag cannot resize it either.
    QCOMPARE(dialog.windowHandle()->minimumSize(), QSize(400, 300));
    QCOMPARE(dialog.windowHandle()->maximumSize(), QSize(400, 300));
}

void TestEditFilterDialog::endingGivesResult_data()
{
    QTest::addColumn<Ending>("ending");
    QTest::addColumn<int>("result");
    QTest::newRow("OK") << Ending::ClickOk << 1;
    QTest::newRow("Cancel") << Ending::ClickCancel << 0;
    QTest::newRow("Enter in the name field") << Ending::EnterInName << 1;
    QTest::newRow("close box") << Ending::CloseWindow << 0;
}

// Runs the dialog modally and ends it from inside its own event loop, acting on
// whatever the application reports as the active modal widget.
void TestEditFilterDialog::endingGivesResult()
{
    QFETCH(Ending, ending);
    QFETCH(int, result);
    EditFilterDialog dialog;
    dialog.setModal(true);

    QTimer::singleShot(0, &dialog, [&dialog, ending] {
        auto* modal = qobject_cast<EditFilterDialog*>(QApplication::activeModalWidget());
        if (modal != &dialog) {
            dialog.done(-1); // not the active modal dialog: fails below
            return;
        }
        const EditFilterDialogForm& form = *modal->form();
        switch (ending) {
        case Ending::ClickOk:
            QTest::mouseClick(form.okButton, Qt::LeftButton);
            break;
        case Ending::ClickCancel:
            QTest::mouseClick(form.cancelButton, Qt::LeftButton);
            break;
        case Ending::EnterInName:
            QTest::keyClick(form.customNameLineEdit, Qt::Key_Return);
            break;
        case Ending::CloseWindow:
            modal->close();
            break;
        }
    });
    QCOMPARE(dialog.exec(), result);
    QVERIFY(!dialog.isVisible());
}

void TestEditFilterDialog::customNameKeepsSpaces()
{
    const QString name = "  ridge filter  ";
    EditFilterDialog set;
    set.setCustomName(name);
    QCOMPARE(set.customName(), name);

    EditFilterDialog typed;
    QTest::keyClicks(typed.form()->customNameLineEdit, name);
    QCOMPARE(typed.customName(), name);
}

// Tab goes from the name field down each grid column in turn, then Cancel, OK.
void TestEditFilterDialog::tabWalksNameGridButtons()
{
    EditFilterDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    // Without a window manager nothing activates the window; do it by hand.
    QApplication::setActiveWindow(&dialog);
    QTRY_VERIFY(dialog.isActiveWindow());
    dialog.form()->customNameLineEdit->setFocus(Qt::OtherFocusReason);
    QTRY_VERIFY(dialog.form()->customNameLineEdit->hasFocus());

    QStringList expected;
    for (int number = 1; number <= 25; ++number)
        expected << spinBoxName(number);
    expected << "cancelButton"
             << "okButton";
    QStringList visited;
    for (int step = 0; step < expected.size(); ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        const QWidget* focused = QApplication::focusWidget();
        visited << (focused ? focused->objectName() : QString("nothing"));
    }
    QCOMPARE(visited, expected);
}

void TestEditFilterDialog::formMembers_data()
{
    addFormMemberRows(expectedMembers);
}

void TestEditFilterDialog::formMembers()
{
    QFETCH(int, index);
    EditFilterDialog dialog;
    // Nothing but the 33 pointers, declared in this order.
    checkFormMember(*dialog.form(), expectedMembers, index);
}

void TestEditFilterDialog::childrenAreCreatedInDeclarationOrder()
{
    EditFilterDialog dialog;
    // The declared members, less the two layouts nested in verticalLayout.
    QStringList created;
    for (const FormMember<EditFilterDialogForm>& member : expectedMembers)
        if (QString(member.parentName) == "EditFilterDialog")
            created << member.name;
    QCOMPARE(namedChildren(&dialog), created);
    QCOMPARE(namedChildren(dialog.form()->verticalLayout),
             QStringList({"matrixGridLayout", "horizontalLayout"}));
}

QTEST_MAIN(TestEditFilterDialog)
#include "test_editfilterdialog.moc"
