#include "app/newworlddialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTextCodec>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>
#include <vector>

enum class Ending
{
    ClickOk,
    ClickCancel,
    PressEscape,
    CloseWindow
};
Q_DECLARE_METATYPE(Ending)

namespace {

// Runs the dialog modally and ends it from inside its own event loop, acting on
// whatever the application reports as the active modal widget. `wasModal` tells
// whether that widget was this dialog; if not, the dialog is ended with -1.
int execAndEnd(NewWorldDialog& dialog, Ending ending, bool& wasModal)
{
    wasModal = false;
    QTimer::singleShot(0, &dialog, [&dialog, ending, &wasModal] {
        auto* modal = qobject_cast<NewWorldDialog*>(QApplication::activeModalWidget());
        wasModal = modal == &dialog;
        if (!wasModal) {
            dialog.done(-1);
            return;
        }
        QDialogButtonBox* buttons = modal->form()->buttonBox;
        switch (ending) {
        case Ending::ClickOk:
            QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
            break;
        case Ending::ClickCancel:
            QTest::mouseClick(buttons->button(QDialogButtonBox::Cancel), Qt::LeftButton);
            break;
        case Ending::PressEscape:
            QTest::keyClick(modal, Qt::Key_Escape);
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

std::vector<FormMember> membersInDeclarationOrder(const NewWorldDialogForm& form)
{
    return {member(form.buttonBox),
            member(form.verticalLayoutWidget),
            member(form.verticalLayout),
            member(form.comboBox),
            member(form.checkBox),
            member(form.seed),
            member(form.horizontalLayout),
            member(form.label),
            member(form.sizeX),
            member(form.label_2),
            member(form.sizeY)};
}

QStringList namedChildren(const QObject* parent)
{
    QStringList names;
    for (const QObject* child : parent->children())
        if (!child->objectName().isEmpty() && !child->objectName().startsWith("qt_"))
            names << child->objectName();
    return names;
}

} // namespace

class TestNewWorldDialog : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void opensWithDefaults();
    void checkBoxTogglesSeedField();
    void generatorIndexFollowsItem_data();
    void generatorIndexFollowsItem();
    void seedTextIsLocalBytesUpToNul_data();
    void seedTextIsLocalBytesUpToNul();
    void sizeSpinBoxesClamp_data();
    void sizeSpinBoxesClamp();
    void endingGivesResult_data();
    void endingGivesResult();
    void formMembers_data();
    void formMembers();
    void formHoldsOnlyItsMembersInCreationOrder();

private:
    QTextCodec* originalLocaleCodec_ = QTextCodec::codecForLocale();
};

void TestNewWorldDialog::cleanup()
{
    QTextCodec::setCodecForLocale(originalLocaleCodec_);
}

void TestNewWorldDialog::opensWithDefaults()
{
    NewWorldDialog dialog;
    const NewWorldDialogForm& form = *dialog.form();

    QCOMPARE(dialog.metaObject()->className(), "NewWorldDialog");
    QCOMPARE(dialog.objectName(), QString("NewWorldDialog"));
    QCOMPARE(dialog.windowTitle(), QString("Dialog"));
    QCOMPARE(dialog.size(), QSize(400, 152));

    QCOMPARE(dialog.generatorIndex(), 0);
    QCOMPARE(form.comboBox->currentText(), QString("Random"));
    QCOMPARE(form.comboBox->count(), 3);
    QCOMPARE(form.comboBox->itemText(0), QString("Random"));
    QCOMPARE(form.comboBox->itemText(1), QString("Mountain peaks"));
    QCOMPARE(form.comboBox->itemText(2), QString("Mountain peaks chain"));
    QVERIFY(!form.comboBox->isEditable());

    QVERIFY(dialog.isRandomSeed());
    QCOMPARE(form.checkBox->text(), QString("Random seed"));
    QVERIFY(form.seed->text().isEmpty());
    QVERIFY(!form.seed->isEnabled());
    QVERIFY(dialog.seedText().isEmpty());

    QCOMPARE(form.label->text(), QString("Width"));
    QCOMPARE(form.label_2->text(), QString("Length"));
    QCOMPARE(dialog.mapWidth(), 50);
    QCOMPARE(dialog.mapLength(), 50);
    for (const QSpinBox* size : {form.sizeX, form.sizeY}) {
        QCOMPARE(size->minimum(), 0);
        QCOMPARE(size->maximum(), 99);
        QCOMPARE(size->singleStep(), 1);
    }

    QCOMPARE(form.buttonBox->orientation(), Qt::Vertical);
    QCOMPARE(form.buttonBox->standardButtons(), QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QCOMPARE(form.buttonBox->geometry(), QRect(290, 20, 81, 241));
    QCOMPARE(form.verticalLayoutWidget->geometry(), QRect(9, 9, 271, 131));
    QCOMPARE(form.verticalLayout->contentsMargins(), QMargins(0, 0, 0, 0));
    QVERIFY(dialog.layout() == nullptr);
}

void TestNewWorldDialog::checkBoxTogglesSeedField()
{
    NewWorldDialog dialog;
    const NewWorldDialogForm& form = *dialog.form();
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    QTest::keyClick(form.checkBox, Qt::Key_Space);
    QVERIFY(!dialog.isRandomSeed());
    QVERIFY(form.seed->isEnabled());

    QTest::keyClicks(form.seed, "north ridge");
    QCOMPARE(dialog.seedText(), QByteArray("north ridge"));

    QTest::keyClick(form.checkBox, Qt::Key_Space);
    QVERIFY(dialog.isRandomSeed());
    QVERIFY(!form.seed->isEnabled());
    QCOMPARE(form.seed->text(), QString("north ridge"));
    QCOMPARE(dialog.seedText(), QByteArray("north ridge"));

    QTest::keyClick(form.checkBox, Qt::Key_Space);
    QVERIFY(form.seed->isEnabled());
}

void TestNewWorldDialog::generatorIndexFollowsItem_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("index");
    QTest::newRow("random") << "Random" << 0;
    QTest::newRow("mountain peaks") << "Mountain peaks" << 1;
    QTest::newRow("mountain peaks chain") << "Mountain peaks chain" << 2;
}

void TestNewWorldDialog::generatorIndexFollowsItem()
{
    QFETCH(QString, item);
    QFETCH(int, index);
    NewWorldDialog dialog;
    QComboBox* comboBox = dialog.form()->comboBox;

    comboBox->setCurrentIndex(comboBox->findText(item, Qt::MatchExactly));

    QCOMPARE(comboBox->currentText(), item);
    QCOMPARE(dialog.generatorIndex(), index);
}

void TestNewWorldDialog::seedTextIsLocalBytesUpToNul_data()
{
    QTest::addColumn<QByteArray>("localCodec");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    const QString fjord = QString("Fj") + QChar(0x00F6) + "r" + QChar(0x00F0);
    const QString nulInMiddle = QString("ab") + QChar(0) + "cd";

    QTest::newRow("ASCII, UTF-8") << QByteArray("UTF-8") << "Terravik 42"
                                  << QByteArray("Terravik 42");
    QTest::newRow("ASCII, Latin-1")
        << QByteArray("ISO-8859-1") << "Terravik 42" << QByteArray("Terravik 42");
    QTest::newRow("non-ASCII, UTF-8")
        << QByteArray("UTF-8") << fjord << QByteArray("Fj\xC3\xB6r\xC3\xB0");
    QTest::newRow("non-ASCII, Latin-1")
        << QByteArray("ISO-8859-1") << fjord << QByteArray("Fj\xF6r\xF0");
    QTest::newRow("empty") << QByteArray("UTF-8") << QString() << QByteArray();
    QTest::newRow("NUL in the middle") << QByteArray("UTF-8") << nulInMiddle << QByteArray("ab");
    QTest::newRow("NUL first") << QByteArray("UTF-8") << QString(QChar(0)) + "xyz" << QByteArray();
    QTest::newRow("NUL after non-ASCII")
        << QByteArray("UTF-8") << QString(QChar(0x00F6)) + QChar(0) + "z" << QByteArray("\xC3\xB6");
}

void TestNewWorldDialog::seedTextIsLocalBytesUpToNul()
{
    QFETCH(QByteArray, localCodec);
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QTextCodec* codec = QTextCodec::codecForName(localCodec);
    QVERIFY(codec != nullptr);
    QTextCodec::setCodecForLocale(codec);
    NewWorldDialog dialog;
    dialog.form()->checkBox->setChecked(false);

    dialog.form()->seed->setText(text);
    QCOMPARE(dialog.form()->seed->text(), text);

    const QByteArray seedText = dialog.seedText();
    QCOMPARE(seedText, bytes);
    QVERIFY(!seedText.contains('\0'));
}

void TestNewWorldDialog::sizeSpinBoxesClamp_data()
{
    QTest::addColumn<int>("entered");
    QTest::addColumn<int>("kept");
    QTest::newRow("zero") << 0 << 0;
    QTest::newRow("largest") << 99 << 99;
    QTest::newRow("one above") << 100 << 99;
    QTest::newRow("far above") << 100000 << 99;
    QTest::newRow("below zero") << -1 << 0;
}

void TestNewWorldDialog::sizeSpinBoxesClamp()
{
    QFETCH(int, entered);
    QFETCH(int, kept);
    NewWorldDialog dialog;

    dialog.form()->sizeX->setValue(entered);
    QCOMPARE(dialog.mapWidth(), kept);
    QCOMPARE(dialog.mapLength(), 50);

    dialog.form()->sizeY->setValue(entered);
    QCOMPARE(dialog.mapLength(), kept);
}

void TestNewWorldDialog::endingGivesResult_data()
{
    QTest::addColumn<Ending>("ending");
    QTest::addColumn<int>("result");
    QTest::newRow("OK") << Ending::ClickOk << 1;
    QTest::newRow("Cancel") << Ending::ClickCancel << 0;
    QTest::newRow("Escape") << Ending::PressEscape << 0;
    QTest::newRow("close box") << Ending::CloseWindow << 0;
}

void TestNewWorldDialog::endingGivesResult()
{
    QFETCH(Ending, ending);
    QFETCH(int, result);
    NewWorldDialog dialog;
    dialog.setModal(true);

    bool wasModal = false;
    const int execResult = execAndEnd(dialog, ending, wasModal);

    QVERIFY(wasModal);
    QCOMPARE(execResult, result);
    QCOMPARE(dialog.result(), result);
    QVERIFY(!dialog.isVisible());
}

void TestNewWorldDialog::formMembers_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("parentName");
    const char* rows[][3] = {
        {"buttonBox", "QDialogButtonBox", "NewWorldDialog"},
        {"verticalLayoutWidget", "QWidget", "NewWorldDialog"},
        {"verticalLayout", "QVBoxLayout", "verticalLayoutWidget"},
        {"comboBox", "QComboBox", "verticalLayoutWidget"},
        {"checkBox", "QCheckBox", "verticalLayoutWidget"},
        {"seed", "QLineEdit", "verticalLayoutWidget"},
        {"horizontalLayout", "QHBoxLayout", "verticalLayout"},
        {"label", "QLabel", "verticalLayoutWidget"},
        {"sizeX", "QSpinBox", "verticalLayoutWidget"},
        {"label_2", "QLabel", "verticalLayoutWidget"},
        {"sizeY", "QSpinBox", "verticalLayoutWidget"},
    };
    int position = 0;
    for (const auto& row : rows) {
        QTest::newRow(row[0]) << position++ << QString(row[0]) << QString(row[1])
                              << QString(row[2]);
    }
}

void TestNewWorldDialog::formMembers()
{
    QFETCH(int, position);
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QString, parentName);
    NewWorldDialog dialog;
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

void TestNewWorldDialog::formHoldsOnlyItsMembersInCreationOrder()
{
    NewWorldDialog dialog;
    const NewWorldDialogForm& form = *dialog.form();

    QCOMPARE(sizeof(NewWorldDialogForm), membersInDeclarationOrder(form).size() * sizeof(void*));
    QCOMPARE(namedChildren(&dialog), QStringList({"buttonBox", "verticalLayoutWidget"}));
    QCOMPARE(namedChildren(form.verticalLayoutWidget),
             QStringList({"verticalLayout", "comboBox", "checkBox", "seed", "label", "sizeX",
                          "label_2", "sizeY"}));
    QCOMPARE(form.verticalLayoutWidget->layout(), form.verticalLayout);

    // The input column, top to bottom, and the size row, left to right.
    QCOMPARE(form.verticalLayout->count(), 4);
    QCOMPARE(form.verticalLayout->itemAt(0)->widget(), form.comboBox);
    QCOMPARE(form.verticalLayout->itemAt(1)->widget(), form.checkBox);
    QCOMPARE(form.verticalLayout->itemAt(2)->widget(), form.seed);
    QCOMPARE(form.verticalLayout->itemAt(3)->layout(), form.horizontalLayout);
    QCOMPARE(form.horizontalLayout->count(), 4);
    QCOMPARE(form.horizontalLayout->itemAt(0)->widget(), form.label);
    QCOMPARE(form.horizontalLayout->itemAt(1)->widget(), form.sizeX);
    QCOMPARE(form.horizontalLayout->itemAt(2)->widget(), form.label_2);
    QCOMPARE(form.horizontalLayout->itemAt(3)->widget(), form.sizeY);
}

QTEST_MAIN(TestNewWorldDialog)
#include "test_newworlddialog.moc"
