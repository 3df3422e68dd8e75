#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

// Answers the next modal dialog from a timer: once a modal widget is up, the
// action runs on it (and should close it). Tests never wait for a person.
inline void answerNextModal(const std::function<void(QWidget *)> &action)
{
    auto *timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            action(modal);
        }
    });
    timer->start();
    // Gives up after a while so that a missing dialog fails the test instead of hanging.
    QTimer::singleShot(5000, timer, [timer] { timer->deleteLater(); });
}
