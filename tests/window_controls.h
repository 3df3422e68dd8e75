#pragma once

#include <QString>
#include <QWidget>

// A named control of the window; a missing one ends the test program, since
// every later step would only fail for that reason.
template <typename T> T *control(const QWidget *window, const char *name)
{
    auto *widget = window->findChild<T *>(QString::fromLatin1(name));
    if (!widget)
        qFatal("no control %s", name);
    return widget;
}
