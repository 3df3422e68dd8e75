// Shows the real window on the display it is given, fills the grid with a few
// generated photographs and saves a screenshot of the whole screen, so that a
// person can look at what the program shows.
#include "app/form_main.h"
#include "app/hint_delay_style.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QRadialGradient>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>

namespace {

// A picture with a sky, a ground and a sun, so that thumbnails look like photos.
void makePicture(const QString &path, int width, int height, int seed)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, 0, height);
    sky.setColorAt(0, QColor::fromHsv((seed * 47) % 360, 120, 230));
    sky.setColorAt(1, QColor::fromHsv((seed * 47 + 40) % 360, 60, 255));
    painter.fillRect(image.rect(), sky);
    painter.setBrush(QColor::fromHsv((seed * 83 + 90) % 360, 160, 120));
    painter.setPen(Qt::NoPen);
    painter.drawRect(0, height * 2 / 3, width, height);
    QRadialGradient sun(width * 0.7, height * 0.3, height / 6.0);
    sun.setColorAt(0, Qt::white);
    sun.setColorAt(1, QColor(255, 200, 60));
    painter.setBrush(sun);
    painter.drawEllipse(QPointF(width * 0.7, height * 0.3), height / 6.0, height / 6.0);
    painter.end();
    image.save(path, path.endsWith(QLatin1String(".bmp")) ? "BMP" : "JPG", 90);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pictavel"));
    QApplication::setStyle(new HintDelayStyle);
    const QStringList args = QApplication::arguments();
    if (args.size() < 2) {
        qWarning("usage: %s OUTPUT.png", qPrintable(args.value(0)));
        return 2;
    }
    QTemporaryDir dir;
    const QString pictures = dir.filePath(QStringLiteral("pictures"));
    QDir().mkpath(pictures);
    const QSize sizes[] = {{640, 480}, {480, 640}, {800, 450}, {600, 600}, {1024, 768}};
    for (int i = 0; i < 5; ++i)
        makePicture(
            QStringLiteral("%1/photo%2.%3").arg(pictures).arg(i + 1).arg(i == 3 ? "bmp" : "jpg"),
            sizes[i].width(), sizes[i].height(), i);

    TFormMain window(dir.path());
    window.show();
    auto *tree = window.findChild<QTreeView *>(QStringLiteral("DirectoryTree"));
    tree->setCurrentIndex(static_cast<QFileSystemModel *>(tree->model())->index(pictures));
    window.DirectoryTreeClick();
    // The add button, as a person presses it, answering the question for the
    // project folder.
    auto *list = window.findChild<QListWidget *>(QStringLiteral("FileListBox"));
    list->selectAll();
    // Each answer has its own timer: a timer does not fire again while its
    // own slot still runs a dialog.
    QTimer::singleShot(300, &app, [&dir] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        QTimer::singleShot(300, [] {
            if (auto *question = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
                question->button(QMessageBox::Yes)->click();
        });
        dialog->findChild<QLineEdit *>()->setText(dir.filePath(QStringLiteral("project")));
        dialog->accept();
    });
    window.btnADDThumbClick();

    QTimer::singleShot(1500, &app, [&] {
        const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0);
        app.exit(shot.save(args.at(1)) ? 0 : 1);
    });
    return app.exec();
}
