#include "app/form_main.h"
#include "app/hint_delay_style.h"
#include "app/translations.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pictavel"));
    QApplication::setApplicationDisplayName(QStringLiteral("Pictavel"));
    QApplication::setStyle(new HintDelayStyle);
    installTranslations(QLocale::system());

    TFormMain formMain;
    formMain.show();
    return app.exec();
}
