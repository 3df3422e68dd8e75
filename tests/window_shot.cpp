// Shows the real window on the display it is given, fills the grid with a few
// generated photographs and saves a screenshot of the whole screen, so that a
// person can look at what the program shows.
//
// pictavel-window-shot OUTPUT.png [--walk PROJECT_FOLDER]
//   --walk goes on as a user would: crops the first picture to 300 x 200 in
//   the editor (OUTPUT-editor.png), saves it, goes back to the grid and
//   presses "Start" into PROJECT_FOLDER (OUTPUT-export.png).
#include "app/form_main.h"
#include "app/hint_delay_style.h"
#include "app/spin_edit.h"
#include "window_controls.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QRadialGradient>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

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

bool saveScreen(const QString &path)
{
    return QGuiApplication::primaryScreen()->grabWindow(0).save(path);
}

QString besideShot(const QString &shot, const char *suffix)
{
    QString path = shot;
    path.insert(path.endsWith(QLatin1String(".png")) ? path.size() - 4 : path.size(),
                QLatin1String(suffix));
    return path;
}

// The steps after the add: each one after the window has painted the last.
void walkCropAndExport(QApplication &app, TFormMain &window, const QString &shot)
{
    window.ThumbClick(window.thumbs()[0].CaptionLabel);
    window.btnRedactImageClick();
    control<QToolButton>(&window, "btnLL")->click();
    control<SpinEdit>(&window, "spinW")->setValue(300);
    control<SpinEdit>(&window, "spinH")->setValue(200);
    QTimer::singleShot(800, &app, [&app, &window, shot] {
        bool saved = saveScreen(besideShot(shot, "-editor"));
        control<QToolButton>(&window, "btnCutImage")->click();
        window.btnMiddleClick();
        control<QTabWidget>(&window, "PageControl")->setCurrentIndex(1);
        window.btnStartClick();
        control<QTabWidget>(&window, "PageControl")->setCurrentIndex(0);
        QTimer::singleShot(800, &app, [&app, shot, saved] {
            app.exit(saved && saveScreen(besideShot(shot, "-export")) ? 0 : 1);
        });
    });
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pictavel"));
    QApplication::setStyle(new HintDelayStyle);
    const QStringList args = QApplication::arguments();
    const bool walk = args.size() == 4 && args.at(2) == QLatin1String("--walk");
    if (args.size() != 2 && !walk) {
        qWarning("usage: %s OUTPUT.png [--walk PROJECT_FOLDER]", qPrintable(args.value(0)));
        return 2;
    }
    const QString shot = args.at(1);
    QTemporaryDir dir;
    const QString project = walk ? args.at(3) : dir.filePath(QStringLiteral("project"));
    const QString pictures = dir.filePath(QStringLiteral("pictures"));
    QDir().mkpath(pictures);
    const QSize sizes[] = {{640, 480}, {480, 640}, {800, 450}, {600, 600}, {1024, 768}};
    for (int i = 0; i < 5; ++i)
        makePicture(
            QStringLiteral("%1/photo%2.%3").arg(pictures).arg(i + 1).arg(i == 3 ? "bmp" : "jpg"),
            sizes[i].width(), sizes[i].height(), i);

    TFormMain window(dir.path());
    window.show();
    // The add button, as a person presses it, answering the question for the
    // project folder.
    openInFileList(window, pictures)->selectAll();
    // Each answer has its own timer: a timer does not fire again while its
    // own slot still runs a dialog.
    QTimer::singleShot(300, &app, [project] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        QTimer::singleShot(300, [] {
            if (auto *question = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
                question->button(QMessageBox::Yes)->click();
        });
        dialog->findChild<QLineEdit *>()->setText(project);
        dialog->accept();
    });
    window.btnADDThumbClick();

    QTimer::singleShot(1500, &app, [&] {
        if (!saveScreen(shot))
            return app.exit(1);
        if (!walk)
            return app.exit(0);
        walkCropAndExport(app, window, shot);
    });
    return app.exec();
}
