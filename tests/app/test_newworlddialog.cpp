#include "app/newworlddialog.h"
#include "formmembers.h"

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

enum class Ending
{
    ClickOk,
    ClickCancel,
    PressEscape,
    CloseWindow
};
Q_DECLARE_METATYPE(Ending)

namespace {

const FormMember<NewWorldDialogForm> expectedMembers[] = {
    FORM_MEMBER(NewWorldDialogForm, buttonBox, "QDialogButtonBox", "NewWorldDialog"),
    FORM_MEMBER(NewWorldDialogForm, verticalLayoutWidget, "QWidget", "NewWorldDialog"),
    FORM_MEMBER(NewWorldDialogForm, verticalLayout, "QVBoxLayout", "verticalLayoutWidget"),
    FORM_MEMBER(NewWorldDialogForm, comboBox, "QComboBox", "verticalLayoutWidget"),
    FORM_MEMBER(NewWorldDialogForm, checkBox, "QCheckBox", "verticalLayoutWidget"),
    FORM_MEMBER(NewWorldDialogForm, seed, "QLineEdit", "verticalLayoutWidget"),
    FORM_MEMBER(NewWorldDialogForm, horizontalLayout, "QHBoxLayout", "verticalLayout"),
    FORM_MEMBER(NewWorldDialogForm, label, "QLabel", "verticalLayoutWidget"),
    FORM_MEMBER(NewWorldDialogForm, sizeX, "QSpinBox", "verticalLayoutWidget"),
    FORM_MEMBER(NewWorldDialogForm, label_2, "QLabel", "verticalLayoutWidget"),
    FORM_MEMBER(NewWorldDialogForm, sizeY, "QSpinBox", "verticalLayoutWidget"),
};

} // namespace

class TestNewWorldDialog : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QTextCodec::setCodecForLocale(originalLocaleCodec_); }

    void opensWithDefaults();
    void generatorIndexFollowsItem();
    void checkBoxTogglesSeedField();
    void seedTextIsLocalBytesUpToNul_data();
    void seedTextIsLocalBytesUpToNul();
    void endingGivesResult_data();
    void endingGivesResult();
    void formMembers_data();
    void formMembers();
    void widgetsAreCreatedAndPlacedInOrder();

private:
    QTextCodec* originalLocaleCodec_ = QTextCodec::codecForLocale();
};

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

void TestNewWorldDialog::generatorIndexFollowsItem()
{
    NewWorldDialog dialog;
    QComboBox* comboBox = dialog.form()->comboBox;
    const QStringList items{"Random", "Mountain peaks", "Mountain peaks chain"};
    QCOMPARE(comboBox->count(), items.size());
    // Pick each item by its text and read back the generator's index.
    for (int index = items.size() - 1; index >= 0; --index) {
        comboBox->setCurrentIndex(comboBox->findText(items.at(index), Qt::MatchExactly));
        QCOMPARE(dialog.generatorIndex(), index);
    }
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

    // Checking the box again disables the field but keeps its text.
    QTest::keyClick(form.checkBox, Qt::Key_Space);
    QVERIFY(dialog.isRandomSeed());
    QVERIFY(!form.seed->isEnabled());
    QCOMPARE(dialog.seedText(), QByteArray("north ridge"));
}

void TestNewWorldDialog::seedTextIsLocalBytesUpToNul_data()
{
    QTest::addColumn<QByteArray>("localCodec");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    const QString fjord = QString("Fj") + QChar(0x00F6) + "r" + QChar(0x00F0);
    QTest::newRow("ASCII") << QByteArray("UTF-8") << "Terravik 42" << QByteArray("Terravik 42");
    QTest::newRow("UTF-8") << QByteArray("UTF-8") << fjord << QByteArray("Fj\xC3\xB6r\xC3\xB0");
    QTest::newRow("Latin-1") << QByteArray("ISO-8859-1") << fjord << QByteArray("Fj\xF6r\xF0");
    QTest::newRow("empty") << QByteArray("UTF-8") << QString() << QByteArray();
    QTest::newRow("NUL in the middle")
        << QByteArray("UTF-8") << QString("ab") + QChar(0) + "cd" << QByteArray("ab");
    QTest::newRow("NUL first") << QByteArray("UTF-8") << QString(QChar(0)) + "xyz" << QByteArray();
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
    QCOMPARE(dialog.seedText(), bytes);
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

// Runs the dialog modally and ends it from inside its own event loop, acting on
// whatever the application reports as the active modal widget.
void TestNewWorldDialog::endingGivesResult()
{
    QFETCH(Ending, ending);
    QFETCH(int, result);
    NewWorldDialog dialog;
    dialog.setModal(true);

    QTimer::singleShot(0, &dialog, [&dialog, ending] {
        auto* modal = qobject_cast<NewWorldDialog*>(QApplication::activeModalWidget());
        if (modal != &dialog) {
            dialog.done(-1); // not the active modal dialog: fails below
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
    QCOMPARE(dialog.exec(), result);
    QVERIFY(!dialog.isVisible());
}

void TestNewWorldDialog::formMembers_data()
{
    addFormMemberRows(expectedMembers);
}

void TestNewWorldDialog::formMembers()
{
    QFETCH(int, index);
    NewWorldDialog dialog;
    // Nothing but the eleven pointers, declared in this order.
    checkFormMember(*dialog.form(), expectedMembers, index);
}

// Creation order is also the focus order.
void TestNewWorldDialog::widgetsAreCreatedAndPlacedInOrder()
{
    NewWorldDialog dialog;
    const NewWorldDialogForm& form = *dialog.form();

    QCOMPARE(namedChildren(&dialog), QStringList({"buttonBox", "verticalLayoutWidget"}));
    QCOMPARE(namedChildren(form.verticalLayoutWidget),
             QStringList({"verticalLayout", "comboBox", "checkBox", "seed", "label", "sizeX",
                          "label_2", "sizeY"}));
    QCOMPARE(form.verticalLayoutWidget->layout(), form.verticalLayout);
    QCOMPARE(itemNames(form.verticalLayout),
             QStringList({"comboBox", "checkBox", "seed", "horizontalLayout"}));
    QCOMPARE(itemNames(form.horizontalLayout), QStringList({"label", "sizeX", "label_2", "sizeY"}));
}

QTEST_MAIN(TestNewWorldDialog)
#include "test_newworlddialog.moc"
