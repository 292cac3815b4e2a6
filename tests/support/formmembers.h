#pragma once

// Checking a hand-built form record (a struct of non-owning pointers to the
// widgets of a window or dialog) against a table of what each member must be.
// A test lists its members with FORM_MEMBER in declaration order, feeds the
// table to addFormMemberRows() in its _data() slot and checks the row it is
// given with checkFormMember().

#include <QLayout>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QWidget>
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

// The record holds nothing but the table's pointers, this one declared at its
// place in the table, and it points to an object of the member's name and
// class whose parent has the expected name. A failure ends the calling test
// only if it checks QTest::currentTestFailed().
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

// Object names of the children, in creation order, leaving out Qt's own.
inline QStringList namedChildren(const QObject* parent)
{
    QStringList names;
    for (const QObject* child : parent->children())
        if (!child->objectName().isEmpty() && !child->objectName().startsWith("qt_"))
            names << child->objectName();
    return names;
}

// Object names of a layout's items, widgets and nested layouts alike, in order.
inline QStringList itemNames(const QLayout* layout)
{
    QStringList names;
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        names << (item->widget() ? item->widget()->objectName() : item->layout()->objectName());
    }
    return names;
}
