#pragma once
// Dialog building blocks: controls carry the names the code and the tests
// find them by, and buttons never take Enter from the dialog's own default.
#include <QPushButton>
#include <QString>

namespace kep {

template <class T>
T* Nomme(T* w, const char* name)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

inline QPushButton* Bouton(QWidget* parent, const char* name, const QString& caption)
{
    auto* b = Nomme(new QPushButton(caption, parent), name);
    b->setAutoDefault(false);
    return b;
}

} // namespace kep
