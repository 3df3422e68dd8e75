#pragma once

#include <QObject>
#include <functional>

class QWidget;

// The application's general error handling: every handler of the window runs
// through here, and an error it raises ends that handler and is shown in a
// modal message box titled "Pictavel".
void runGuarded(QWidget *parent, const std::function<void()> &handler);

void showErrorMessage(QWidget *parent, const QString &message);

template <typename Sender, typename Signal, typename Receiver, typename Handler>
QMetaObject::Connection connectGuarded(Sender *sender, Signal signal, Receiver *receiver,
                                       Handler handler)
{
    return QObject::connect(sender, signal, receiver, [receiver, handler] {
        runGuarded(receiver, [&] { (receiver->*handler)(); });
    });
}
