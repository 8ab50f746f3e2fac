#pragma once

#include <QString>

// Helpers of the shell dialogs built in code: every control carries its
// dialog id as object name, so that code and tests find it by id.
namespace dlg {

inline QString Text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

template <class T>
T* Named(T* widget, int id)
{
    widget->setObjectName(QString::number(id));
    return widget;
}

} // namespace dlg
