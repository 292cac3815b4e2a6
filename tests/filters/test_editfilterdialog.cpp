#include "filters/editfilterdialog.h"

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
#include <cstdint>
#include <limits>
#include <vector>

using Coefficients = FilterMatrix::Coefficients;

enum class Ending
{
    ClickOk,
    ClickCancel,
    EnterInName,
    EnterInSpinBox,
    CloseWindow
};
Q_DECLARE_METATYPE(Ending)
Q_DECLARE_METATYPE(Coefficients)

namespace {

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

// Finds spin box number N by its object name, independently of the form's own mapping.
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

Coefficients filled(std::int32_t value)
{
    Coefficients coefficients{};
    coefficients.fill(value);
    return coefficients;
}

// Runs the dialog modally and ends it from inside its own event loop, acting on
// whatever the application reports as the active modal widget. `wasModal` tells
// whether that widget was this dialog; if not, the dialog is ended with -1.
int execAndEnd(EditFilterDialog& dialog, Ending ending, bool& wasModal)
{
    wasModal = false;
    QTimer::singleShot(0, &dialog, [&dialog, ending, &wasModal] {
        auto* modal = qobject_cast<EditFilterDialog*>(QApplication::activeModalWidget());
        wasModal = modal == &dialog;
        if (!wasModal) {
            dialog.done(-1);
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
        case Ending::EnterInSpinBox:
            QTest::keyClick(form.spinBox_13, Qt::Key_Enter);
            break;
        case Ending::CloseWindow:
            modal->close();
            break;
        }
    });
    return dialog.exec();
}

// A form member: the address of the pointer inside the record and the object it
// points to. Member addresses rise in declaration order.
struct FormMember
{
    const void* address;
    const QObject* object;
};

template <class T> FormMember member(T* const& field)
{
    return {&field, field};
}

std::vector<FormMember> membersInDeclarationOrder(const EditFilterDialogForm& f)
{
    return {member(f.verticalLayout),
            member(f.label_2),
            member(f.customNameLineEdit),
            member(f.label),
            member(f.matrixGridLayout),
            member(f.spinBox_4),
            member(f.spinBox_5),
            member(f.spinBox_2),
            member(f.spinBox_3),
            member(f.spinBox),
            member(f.spinBox_19),
            member(f.spinBox_20),
            member(f.spinBox_7),
            member(f.spinBox_16),
            member(f.spinBox_6),
            member(f.spinBox_9),
            member(f.spinBox_10),
            member(f.spinBox_8),
            member(f.spinBox_11),
            member(f.spinBox_12),
            member(f.spinBox_14),
            member(f.spinBox_13),
            member(f.spinBox_15),
            member(f.spinBox_17),
            member(f.spinBox_18),
            member(f.spinBox_21),
            member(f.spinBox_22),
            member(f.spinBox_23),
            member(f.spinBox_24),
            member(f.spinBox_25),
            member(f.horizontalLayout),
            member(f.cancelButton),
            member(f.okButton)};
}

const char* const DeclaredNames[] = {
    "verticalLayout",   "label_2",    "customNameLineEdit", "label",
    "matrixGridLayout", "spinBox_4",  "spinBox_5",          "spinBox_2",
    "spinBox_3",        "spinBox",    "spinBox_19",         "spinBox_20",
    "spinBox_7",        "spinBox_16", "spinBox_6",          "spinBox_9",
    "spinBox_10",       "spinBox_8",  "spinBox_11",         "spinBox_12",
    "spinBox_14",       "spinBox_13", "spinBox_15",         "spinBox_17",
    "spinBox_18",       "spinBox_21", "spinBox_22",         "spinBox_23",
    "spinBox_24",       "spinBox_25", "horizontalLayout",   "cancelButton",
    "okButton"};

QStringList namedChildren(const QObject* parent)
{
    QStringList names;
    for (const QObject* child : parent->children())
        if (!child->objectName().isEmpty() && !child->objectName().startsWith("qt_"))
            names << child->objectName();
    return names;
}

// Name field, the spin boxes in number order, Cancel, OK.
QStringList tabOrderNames()
{
    QStringList names{"customNameLineEdit"};
    for (int number = 1; number <= 25; ++number)
        names << spinBoxName(number);
    names << "cancelButton"
          << "okButton";
    return names;
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
    void gridPlacement_data();
    void gridPlacement();
    void coefficientsClamp_data();
    void coefficientsClamp();
    void texts();
    void layoutSettings();
    void sizeIsFixed();
    void endingGivesResult_data();
    void endingGivesResult();
    void customNameKeepsSpaces_data();
    void customNameKeepsSpaces();
    void tabWalksNameGridButtons_data();
    void tabWalksNameGridButtons();
    void formMembers_data();
    void formMembers();
    void formHoldsOnlyItsMembersInCreationOrder();
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
        QVERIFY(box->prefix().isEmpty());
        QVERIFY(box->suffix().isEmpty());
        QCOMPARE(box->whatsThis(),
                 QString("A coefficient value which will be used to compute the output map."));
    }
}

void TestEditFilterDialog::matrixRoundTrip_data()
{
    QTest::addColumn<Coefficients>("coefficients");

    Coefficients identity{};
    identity[12] = 1;
    Coefficients distinct{};
    for (std::size_t k = 0; k < distinct.size(); ++k)
        distinct[k] = std::int32_t(k) - 12;
    Coefficients alternating{};
    for (std::size_t k = 0; k < alternating.size(); ++k)
        alternating[k] = k % 2 == 0 ? -100 : 100;

    QTest::newRow("identity centre") << identity;
    QTest::newRow("distinct k - 12") << distinct;
    QTest::newRow("alternating extremes") << alternating;
    QTest::newRow("all -100") << filled(-100);
    QTest::newRow("all 100") << filled(100);
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
    for (int number = 1; number <= 25; ++number)
        if (number != 14)
            QCOMPARE(spinBoxNumber(dialog, number)->value(), 0);
}

void TestEditFilterDialog::gridPlacement_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    for (int row = 0; row < 5; ++row)
        for (int column = 0; column < 5; ++column)
            QTest::newRow(GridNames[row][column])
                << QString(GridNames[row][column]) << row << column;
}

void TestEditFilterDialog::gridPlacement()
{
    QFETCH(QString, name);
    QFETCH(int, row);
    QFETCH(int, column);
    EditFilterDialog dialog;
    QGridLayout* grid = dialog.form()->matrixGridLayout;

    QLayoutItem* cell = grid->itemAtPosition(row, column);
    QVERIFY(cell != nullptr && cell->widget() != nullptr);
    QCOMPARE(cell->widget()->objectName(), name);
    QCOMPARE(int(cell->alignment()), 0);

    int foundRow = -1, foundColumn = -1, rowSpan = 0, columnSpan = 0;
    grid->getItemPosition(grid->indexOf(cell->widget()), &foundRow, &foundColumn, &rowSpan,
                          &columnSpan);
    QCOMPARE(rowSpan, 1);
    QCOMPARE(columnSpan, 1);
}

void TestEditFilterDialog::coefficientsClamp_data()
{
    QTest::addColumn<int>("entered");
    QTest::addColumn<int>("kept");
    QTest::newRow("lowest") << -100 << -100;
    QTest::newRow("highest") << 100 << 100;
    QTest::newRow("one above") << 101 << 100;
    QTest::newRow("one below") << -101 << -100;
    QTest::newRow("int32 max") << std::numeric_limits<std::int32_t>::max() << 100;
    QTest::newRow("int32 min") << std::numeric_limits<std::int32_t>::min() << -100;
}

void TestEditFilterDialog::coefficientsClamp()
{
    QFETCH(int, entered);
    QFETCH(int, kept);
    EditFilterDialog dialog;

    dialog.setMatrix(filled(entered));

    QCOMPARE(listed(dialog.matrix()), listed(filled(kept)));
}

void TestEditFilterDialog::texts()
{
    EditFilterDialog dialog;
    const EditFilterDialogForm& form = *dialog.form();

    QCOMPARE(dialog.windowTitle(), QString("Edit filter"));
    QCOMPARE(form.label_2->text(),
             QString("Enter a custom name for the filter (leave blank for default)."));
    QCOMPARE(form.label->text(), QString("Apply a convolution matrix."));
    QCOMPARE(form.cancelButton->text(), QString("Cancel"));
    QCOMPARE(form.okButton->text(), QString("OK"));
}

void TestEditFilterDialog::layoutSettings()
{
    EditFilterDialog dialog;
    const EditFilterDialogForm& form = *dialog.form();

    QCOMPARE(dialog.metaObject()->className(), "EditFilterDialog");
    QCOMPARE(dialog.objectName(), QString("EditFilterDialog"));
    QVERIFY(!dialog.isModal());
    QVERIFY(!dialog.isSizeGripEnabled());
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
    QCOMPARE(int(form.matrixGridLayout->sizeConstraint()), 4);
    QCOMPARE(form.matrixGridLayout->horizontalSpacing(), 6);
    QCOMPARE(form.matrixGridLayout->verticalSpacing(), 12);
    QCOMPARE(form.matrixGridLayout->count(), 25);

    QCOMPARE(int(form.horizontalLayout->sizeConstraint()), 0);
    QCOMPARE(form.horizontalLayout->count(), 2);
    QVERIFY(form.horizontalLayout->itemAt(0)->widget() == form.cancelButton);
    QVERIFY(form.horizontalLayout->itemAt(1)->widget() == form.okButton);

    for (const QLabel* label : {form.label_2, form.label}) {
        QCOMPARE(label->sizePolicy().horizontalPolicy(), QSizePolicy::Preferred);
        QCOMPARE(label->sizePolicy().verticalPolicy(), QSizePolicy::Fixed);
        QCOMPARE(label->minimumSize(), QSize(382, 12));
        QCOMPARE(label->maximumSize(), QSize(16777215, 12));
    }
    QVERIFY(form.customNameLineEdit->text().isEmpty());
    QVERIFY(form.customNameLineEdit->validator() == nullptr);
    QVERIFY(form.customNameLineEdit->inputMask().isEmpty());
    QCOMPARE(form.customNameLineEdit->maxLength(), QLineEdit().maxLength());
}

void TestEditFilterDialog::sizeIsFixed()
{
    EditFilterDialog dialog;

    QCOMPARE(dialog.size(), QSize(400, 300));
    QCOMPARE(dialog.minimumSize(), QSize(400, 300));
    QCOMPARE(dialog.maximumSize(), QSize(400, 300));
    QCOMPARE(dialog.sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
    QCOMPARE(dialog.sizePolicy().verticalPolicy(), QSizePolicy::Fixed);
    QCOMPARE(dialog.sizePolicy().horizontalStretch(), 0);
    QCOMPARE(dialog.sizePolicy().verticalStretch(), 0);

    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.size(), QSize(400, 300));

    dialog.resize(640, 480);
    QCOMPARE(dialog.size(), QSize(400, 300));
    dialog.resize(100, 80);
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
    QTest::newRow("Enter in a spin box") << Ending::EnterInSpinBox << 1;
    QTest::newRow("close box") << Ending::CloseWindow << 0;
}

void TestEditFilterDialog::endingGivesResult()
{
    QFETCH(Ending, ending);
    QFETCH(int, result);
    EditFilterDialog dialog;
    dialog.setModal(true);

    bool wasModal = false;
    const int execResult = execAndEnd(dialog, ending, wasModal);

    QVERIFY(wasModal);
    QCOMPARE(execResult, result);
    QCOMPARE(dialog.result(), result);
    QVERIFY(!dialog.isVisible());
}

void TestEditFilterDialog::customNameKeepsSpaces_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("leading and trailing spaces") << "  ridge filter  ";
    QTest::newRow("only spaces") << "   ";
    QTest::newRow("empty") << "";
}

void TestEditFilterDialog::customNameKeepsSpaces()
{
    QFETCH(QString, name);

    EditFilterDialog set;
    set.setCustomName(name);
    QCOMPARE(set.customName(), name);
    QCOMPARE(set.customName().size(), name.size());

    EditFilterDialog typed;
    QTest::keyClicks(typed.form()->customNameLineEdit, name);
    QCOMPARE(typed.customName(), name);
}

void TestEditFilterDialog::tabWalksNameGridButtons_data()
{
    QTest::addColumn<bool>("forward");
    QTest::newRow("Tab") << true;
    QTest::newRow("Shift+Tab") << false;
}

void TestEditFilterDialog::tabWalksNameGridButtons()
{
    QFETCH(bool, forward);
    EditFilterDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    // Without a window manager nothing activates the window; do it by hand.
    QApplication::setActiveWindow(&dialog);
    QTRY_VERIFY(dialog.isActiveWindow());

    QStringList expected = tabOrderNames();
    if (!forward)
        std::reverse(expected.begin(), expected.end());
    auto* first = dialog.findChild<QWidget*>(expected.first());
    first->setFocus(Qt::OtherFocusReason);
    QTRY_VERIFY(first->hasFocus());

    for (int step = 1; step < expected.size(); ++step) {
        QWidget* focused = QApplication::focusWidget();
        QVERIFY(focused != nullptr);
        if (forward)
            QTest::keyClick(focused, Qt::Key_Tab);
        else
            QTest::keyClick(focused, Qt::Key_Backtab, Qt::ShiftModifier);
        auto* target = dialog.findChild<QWidget*>(expected.at(step));
        QVERIFY2(target != nullptr && target->hasFocus(),
                 qPrintable(QString("step %1: expected %2, focus on %3")
                                .arg(step)
                                .arg(expected.at(step))
                                .arg(QApplication::focusWidget()
                                         ? QApplication::focusWidget()->objectName()
                                         : QString("nothing"))));
    }
}

void TestEditFilterDialog::formMembers_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("parentName");
    int position = 0;
    for (const char* name : DeclaredNames) {
        const QString member(name);
        QString className = "QSpinBox";
        QString parentName = "EditFilterDialog";
        if (member == "verticalLayout")
            className = "QVBoxLayout";
        else if (member == "matrixGridLayout")
            className = "QGridLayout", parentName = "verticalLayout";
        else if (member == "horizontalLayout")
            className = "QHBoxLayout", parentName = "verticalLayout";
        else if (member.startsWith("label"))
            className = "QLabel";
        else if (member == "customNameLineEdit")
            className = "QLineEdit";
        else if (member.endsWith("Button"))
            className = "QPushButton";
        QTest::newRow(name) << position++ << member << className << parentName;
    }
}

void TestEditFilterDialog::formMembers()
{
    QFETCH(int, position);
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QString, parentName);
    EditFilterDialog dialog;
    const std::vector<FormMember> members = membersInDeclarationOrder(*dialog.form());
    const FormMember& member = members.at(std::size_t(position));

    QVERIFY(member.object != nullptr);
    QCOMPARE(member.object->objectName(), name);
    QCOMPARE(member.object->metaObject()->className(), qPrintable(className));
    QVERIFY(member.object->parent() != nullptr);
    QCOMPARE(member.object->parent()->objectName(), parentName);
    if (position > 0)
        QVERIFY(members.at(std::size_t(position - 1)).address < member.address);
}

void TestEditFilterDialog::formHoldsOnlyItsMembersInCreationOrder()
{
    EditFilterDialog dialog;
    const EditFilterDialogForm& form = *dialog.form();

    QCOMPARE(sizeof(EditFilterDialogForm), membersInDeclarationOrder(form).size() * sizeof(void*));

    // Children of the dialog in creation order: the declared members minus the
    // two layouts nested in verticalLayout.
    QStringList created;
    for (const char* name : DeclaredNames)
        if (QString(name) != "matrixGridLayout" && QString(name) != "horizontalLayout")
            created << name;
    QCOMPARE(namedChildren(&dialog), created);
    QCOMPARE(namedChildren(form.verticalLayout),
             QStringList({"matrixGridLayout", "horizontalLayout"}));
}

QTEST_MAIN(TestEditFilterDialog)
#include "test_editfilterdialog.moc"
