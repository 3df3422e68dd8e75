#include "app/error_guard.h"

#include "base/pictavel_error.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QWidget>
#include <exception>
#include <new>

void showErrorMessage(QWidget *parent, const QString &message)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Pictavel"), message, QMessageBox::Ok,
                    parent);
    box.exec();
}

void runGuarded(QWidget *parent, const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const PictavelError &error) {
        showErrorMessage(parent, error.message());
    } catch (const std::bad_alloc &) {
        showErrorMessage(parent, QCoreApplication::translate("ErrorGuard", "Out of memory"));
    } catch (const std::exception &error) {
        showErrorMessage(parent, QString::fromLocal8Bit(error.what()));
    }
}
