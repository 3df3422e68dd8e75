#include "app/off_the_window.h"

#include <QEventLoop>

#include <exception>
#include <thread>

void runOffTheWindow(const std::function<void()> &work)
{
    QEventLoop waiting;
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&waiting, &QEventLoop::quit, Qt::QueuedConnection);
    });
    waiting.exec();
    worker.join();
    if (failure)
        std::rethrow_exception(failure);
}
