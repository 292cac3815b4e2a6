#include "filters/editfilterdialog.h"
#include "formchecks.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QWindow>
#include <QtTest>
#include <cstddef>
#include <cstdint>

using Coefficients = FilterMatrix::Coefficients;

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

// Spin box number N found by its object name, independently of the form's own mapping.
QSpinBox* spinBoxNumber(const EditFilterDialog& dialog, int number)
{
    const QString name = number == 1 ? QString("spinBox") : QString("spinBox_%1").arg(number);
    return dialog.findChild<QSpinBox*>(name, Qt::FindDirectChildrenOnly);
}

} // namespace

class TestEditFilterDialog : public QObject
{
    Q_OBJECT

private slots:
    void formMembers_data() { addFormMemberRows(expectedMembers); }
    void formMembers();
    void matrixRoundTrip();
    void elementThirteenLandsInSpinBox14();
    void titledAndFixedInSize();
    void buttonsGiveResult();
};

void TestEditFilterDialog::formMembers()
{
    QFETCH(int, index);
    EditFilterDialog dialog;
    checkFormMember(*dialog.form(), expectedMembers, index);
}

// Element k goes to spin box number k + 1 and comes back unchanged.
void TestEditFilterDialog::matrixRoundTrip()
{
    Coefficients coefficients{};
    for (std::size_t k = 0; k < coefficients.size(); ++k)
        coefficients[k] = std::int32_t(k) - 12;
    EditFilterDialog dialog;

    dialog.setMatrix(coefficients);

    QVERIFY(dialog.matrix() == coefficients);
    for (int number = 1; number <= 25; ++number) {
        const QSpinBox* box = spinBoxNumber(dialog, number);
        QVERIFY(box != nullptr);
        QCOMPARE(box->value(), number - 13);
    }
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

void TestEditFilterDialog::titledAndFixedInSize()
{
    EditFilterDialog dialog;
    QCOMPARE(dialog.windowTitle(), QString("Edit filter"));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.resize(640, 480);
    QCOMPARE(dialog.size(), QSize(400, 300));
    // The window system gets the same bounds, so a user drag cannot resize it either.
    QCOMPARE(dialog.windowHandle()->minimumSize(), QSize(400, 300));
    QCOMPARE(dialog.windowHandle()->maximumSize(), QSize(400, 300));
}

void TestEditFilterDialog::buttonsGiveResult()
{
    EditFilterDialog accepted;
    QCOMPARE(execClicking(accepted, accepted.form()->okButton), 1);
    EditFilterDialog rejected;
    QCOMPARE(execClicking(rejected, rejected.form()->cancelButton), 0);
}

QTEST_MAIN(TestEditFilterDialog)
#include "test_editfilterdialog.moc"
