#include "app/clear_project_question.h"

#include <QCoreApplication>
#include <QMessageBox>

#include <algorithm>

bool askToClearProject(QWidget *parent, const QList<TThumbsCollection> &thumbs)
{
    const auto edited =
        std::count_if(thumbs.cbegin(), thumbs.cend(),
                      [](const TThumbsCollection &thumb) { return !thumb.OriginalPath.isEmpty(); });
    const QString text = QCoreApplication::translate(
                             "ClearProjectQuestion",
                             "Удалить проект?\n\nМиниатюр в наборе: %1. Будут удалены все они, "
                             "их картинки и миниатюры в папках проекта, страница ~thumbs.html "
                             "и отредактированные копии картинок (отредактировано: %2), "
                             "правки которых пропадут.\nИсходные файлы останутся на месте.")
                             .arg(thumbs.size())
                             .arg(edited);
    QMessageBox box(QMessageBox::Question, QStringLiteral("Pictavel"), text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}
