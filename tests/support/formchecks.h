#pragma once

// Checks shared by the form tests: a form record (a struct of non-owning
// widget pointers) against a table of its members, and ending a modal dialog
// from inside its own event loop.

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QtTest>
#include <cstddef>

// One member of the form: where it sits in the record, how to read it, and
// what it must point to.
template <typename Form> struct FormMember
{
    const char* name;
    std::size_t offset;
    QObject* (*get)(const Form&);
    const char* className;
    const char* parentName;
};

// clang-format off
#define FORM_MEMBER(Form, member, className, parentName)                                           \
    FormMember<Form>{#member, offsetof(Form, member),                                              \
                     [](const Form& form) -> QObject* { return form.member; }, className,          \
                     parentName}
// clang-format on

// One data row per member, tagged with its name, giving its index in the table.
template <typename Form, std::size_t Count>
void addFormMemberRows(const FormMember<Form> (&members)[Count])
{
    QTest::addColumn<int>("index");
    for (std::size_t i = 0; i < Count; ++i)
        QTest::newRow(members[i].name) << int(i);
}

// The record holds nothing but the table's pointers, this one at its place in
// the table, pointing to an object of the member's name and class whose parent
// has the expected name.
template <typename Form, std::size_t Count>
void checkFormMember(const Form& form, const FormMember<Form> (&members)[Count], int index)
{
    const FormMember<Form>& member = members[index];
    QCOMPARE(sizeof(Form), Count * sizeof(void*));
    QCOMPARE(member.offset, std::size_t(index) * sizeof(void*));

    const QObject* object = member.get(form);
    QVERIFY(object != nullptr);
    QCOMPARE(object->objectName(), QString::fromLatin1(member.name));
    QCOMPARE(object->metaObject()->className(), member.className);
    QVERIFY(object->parent() != nullptr);
    QCOMPARE(object->parent()->objectName(), QString::fromLatin1(member.parentName));
}

// Runs the dialog modally and clicks `button` from inside its event loop, as a
// user would. Returns exec()'s result, or -1 if the dialog was not the active
// modal widget when the click was due.
inline int execClicking(QDialog& dialog, QAbstractButton* button)
{
    dialog.setModal(true);
    QTimer::singleShot(0, &dialog, [&dialog, button] {
        if (QApplication::activeModalWidget() == &dialog)
            QTest::mouseClick(button, Qt::LeftButton);
        else
            dialog.done(-1);
    });
    return dialog.exec();
}
