#pragma once

#include <QCoreApplication>
#include <QString>
#include <cstddef>

// How the main window and both dialogs build their forms: every object gets its
// object name as it is made, and every text goes through the translator with
// the form's class name as context.
template <typename T, typename Parent> T* createNamed(Parent* parent, const char* name)
{
    auto* object = new T(parent);
    object->setObjectName(QString::fromLatin1(name));
    return object;
}

// Without a parent: a layout or tab page that its container adopts later.
template <typename T> T* createNamed(std::nullptr_t, const char* name)
{
    auto* object = new T();
    object->setObjectName(QString::fromLatin1(name));
    return object;
}

inline QString translated(const char* context, const char* text)
{
    return QCoreApplication::translate(context, text, nullptr, -1);
}
