#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <functional>

// Answers the next modal dialog of the given kind from a timer: once such a
// dialog is the active modal widget, the action runs on it (and should close
// it). Several answers may wait at once, each for its own kind of dialog.
// Tests never wait for a person.
template <typename Dialog> void answerNextModal(const std::function<void(Dialog *)> &action)
{
    auto *timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            action(dialog);
        }
    });
    timer->start();
    // Gives up after a while so that a missing dialog fails the test instead of hanging.
    QTimer::singleShot(30000, timer, [timer] { timer->deleteLater(); });
}

// Records the next message box as "title|text" and closes it.
inline void answerMessage(QStringList *texts)
{
    answerNextModal<QMessageBox>([texts](QMessageBox *box) {
        *texts << box->windowTitle() + u'|' + box->text();
        box->accept();
    });
}
