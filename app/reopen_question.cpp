#include "app/reopen_question.h"

#include <QCoreApplication>
#include <QMessageBox>

bool askToReopenSet(QWidget *parent, const QString &projectFolder, int pictureCount)
{
    const QString text =
        QCoreApplication::translate("ReopenQuestion",
                                    "Для папки проекта %1 сохранён набор миниатюр.\n\nОткрыть "
                                    "его? В набор вернутся картинок: %2, в прежнем порядке, с "
                                    "прежними подписями и правками.")
            .arg(projectFolder, QString::number(pictureCount));
    QMessageBox box(QMessageBox::Question, QStringLiteral("Pictavel"), text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}
