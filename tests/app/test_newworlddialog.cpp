#include "app/newworlddialog.h"
#include "formchecks.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTextCodec>
#include <QtTest>

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

    void formMembers_data() { addFormMemberRows(expectedMembers); }
    void formMembers();
    void opensWithDefaults();
    void checkBoxTogglesSeedField();
    void seedTextIsLocalBytesUpToNul_data();
    void seedTextIsLocalBytesUpToNul();
    void buttonsGiveResult();

private:
    QTextCodec* originalLocaleCodec_ = QTextCodec::codecForLocale();
};

void TestNewWorldDialog::formMembers()
{
    QFETCH(int, index);
    NewWorldDialog dialog;
    checkFormMember(*dialog.form(), expectedMembers, index);
}

void TestNewWorldDialog::opensWithDefaults()
{
    NewWorldDialog dialog;
    const NewWorldDialogForm& form = *dialog.form();

    QCOMPARE(dialog.generatorIndex(), 0);
    QCOMPARE(form.comboBox->currentText(), QString("Random"));
    QVERIFY(dialog.isRandomSeed());
    QVERIFY(form.seed->text().isEmpty());
    QVERIFY(!form.seed->isEnabled());
    QCOMPARE(dialog.mapWidth(), 50);
    QCOMPARE(dialog.mapLength(), 50);
    for (const QSpinBox* size : {form.sizeX, form.sizeY}) {
        QCOMPARE(size->minimum(), 0);
        QCOMPARE(size->maximum(), 99);
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
    QVERIFY(!form.seed->isEnabled());
    QCOMPARE(dialog.seedText(), QByteArray("north ridge"));
}

void TestNewWorldDialog::seedTextIsLocalBytesUpToNul_data()
{
    QTest::addColumn<QByteArray>("localCodec");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    const QString fjord = QString("Fj") + QChar(0x00F6) + "r" + QChar(0x00F0);
    QTest::newRow("UTF-8") << QByteArray("UTF-8") << fjord << QByteArray("Fj\xC3\xB6r\xC3\xB0");
    QTest::newRow("Latin-1") << QByteArray("ISO-8859-1") << fjord << QByteArray("Fj\xF6r\xF0");
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
    QCOMPARE(dialog.seedText(), bytes);
}

void TestNewWorldDialog::buttonsGiveResult()
{
    NewWorldDialog accepted;
    QCOMPARE(execClicking(accepted, accepted.form()->buttonBox->button(QDialogButtonBox::Ok)), 1);
    NewWorldDialog rejected;
    QCOMPARE(execClicking(rejected, rejected.form()->buttonBox->button(QDialogButtonBox::Cancel)),
             0);
}

QTEST_MAIN(TestNewWorldDialog)
#include "test_newworlddialog.moc"
