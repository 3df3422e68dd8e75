// Shows the real window on the display it is given, fills the grid with
// generated photographs and saves screenshots of the whole screen, so that a
// person can look at what the program shows.
//
// pictavel-window-shot OUTPUT.png [--walk PROJECT_FOLDER | --hold | --fresh PICTURES]
//   Without an option: 24 photographs, the last a 6000 x 4000 picture with a
//   long name, all selected, so the panes hold their longest usual texts.
//   Saves OUTPUT.png (the grid), OUTPUT-editor.png (the editor with a
//   1000 x 1000 crop frame), OUTPUT-thumbs.png (the thumbnails-only view)
//   and OUTPUT-html.png (the page's tab after "Start", its bar full).
//   --walk goes on as a user would with five photographs: crops the first to
//   300 x 200 in the editor (OUTPUT-editor.png), saves it, goes back to the
//   grid and presses "Start" into PROJECT_FOLDER (OUTPUT-export.png).
//   --hold fills the window as without an option and keeps it open: each
//   time the view changes it prints a line "view NAME" with the screen
//   centres of the three view buttons, for a script that clicks them with
//   the real mouse.
//   --fresh shows the window as at its very first start, with PICTURES in
//   the file list and nothing added, and keeps it open: it prints a line
//   "at NAME X Y" with the screen centre of each control a user needs to
//   build a gallery, and "modal NAME X Y" with the centre of the text box
//   (or of the dialog) each time a dialog opens, for a script that drives it
//   with the real mouse and keys. The editor's buttons and each thumbnail's
//   caption get an "at" line once they show and again whenever they move,
//   as do the options, the page background's colour, the page source and
//   the folder tree; a first line "exe FOLDER" names the folder
//   that stands for the program's, where propstor.ini goes.
#include "app/form_main.h"
#include "app/hint_delay_style.h"
#include "app/spin_edit.h"
#include "app/translations.h"
#include "window_controls.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QHash>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <QScreen>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

namespace {

// A picture with a sky, a ground and a sun, so that thumbnails look like
// photos; `grain` adds noise of that strength, which makes the file as large
// as a camera's.
void makePicture(const QString &path, int width, int height, int seed, int grain = 0)
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
    QRandomGenerator noise{quint32(seed)};
    for (int y = 0; grain > 0 && y < height; ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int d = int(noise.bounded(2 * grain + 1)) - grain;
            row[x] = qRgb(qBound(0, qRed(row[x]) + d, 255), qBound(0, qGreen(row[x]) + d, 255),
                          qBound(0, qBlue(row[x]) + d, 255));
        }
    }
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

// The grid, the thumbnails-only view, the editor with a four-digit crop size
// and the page's tab after "Start", each after the window has painted.
void shootLongestTexts(QApplication &app, TFormMain &window, const QString &shot)
{
    const auto later = [&app](const std::function<void()> &step) {
        QTimer::singleShot(800, &app, step);
    };
    later([&app, &window, shot, later] {
        bool saved = saveScreen(shot);
        window.btnViewThumbsClick();
        later([&app, &window, shot, later, saved]() mutable {
            saved = saveScreen(besideShot(shot, "-thumbs")) && saved;
            window.btnRedactImageClick();
            control<QToolButton>(&window, "btnLL")->click();
            control<SpinEdit>(&window, "spinW")->setValue(1000);
            control<SpinEdit>(&window, "spinH")->setValue(1000);
            later([&app, &window, shot, later, saved]() mutable {
                saved = saveScreen(besideShot(shot, "-editor")) && saved;
                window.btnMiddleClick();
                control<QTabWidget>(&window, "PageControl")->setCurrentIndex(1);
                window.btnStartClick();
                later([&app, shot, saved] {
                    app.exit(saveScreen(besideShot(shot, "-html")) && saved ? 0 : 1);
                });
            });
        });
    });
}

QString viewName(TFormMain &window)
{
    if (control<QWidget>(&window, "ImgR")->isVisible())
        return QStringLiteral("editor");
    const bool browser = control<QSplitter>(&window, "splitBack")->sizes().value(1) > 0;
    return browser ? QStringLiteral("normal") : QStringLiteral("thumbs");
}

// Prints each change of view with where the three view buttons then are on
// the screen: "view NAME btnMiddle X Y btnViewThumbs X Y btnRedactImage X Y".
void reportViews(QApplication &app, TFormMain &window)
{
    auto *watch = new QTimer(&app);
    auto shown = std::make_shared<QString>();
    QObject::connect(watch, &QTimer::timeout, &app, [&window, shown] {
        const QString now = viewName(window);
        if (now == *shown)
            return;
        *shown = now;
        std::printf("view %s", qPrintable(now));
        for (const char *name : {"btnMiddle", "btnViewThumbs", "btnRedactImage"}) {
            const auto *button = control<QToolButton>(&window, name);
            const QPoint centre = button->mapToGlobal(button->rect().center());
            std::printf(" %s %d %d", name, centre.x(), centre.y());
        }
        std::printf("\n");
        std::fflush(stdout);
    });
    watch->start(100);
}

void printCentre(const char *kind, const QString &name, const QWidget *widget, QPoint inside)
{
    const QPoint centre = widget->mapToGlobal(inside);
    std::printf("%s %s %d %d\n", kind, qPrintable(name), centre.x(), centre.y());
    std::fflush(stdout);
}

// Where the controls of a first gallery are, and each dialog as it opens.
void reportPlaces(QApplication &app, TFormMain &window)
{
    for (const char *name :
         {"cmbPropProj", "btnSavePropProj", "btnClearAllProject", "btnADDThumb", "btnStart"}) {
        const auto *widget = control<QWidget>(&window, name);
        printCentre("at", QLatin1String(name), widget, widget->rect().center());
    }
    // The folder button sits at the right end of the project box.
    const auto *project = control<QLineEdit>(&window, "bteDirProject");
    printCentre("at", QStringLiteral("bteDirProjectButton"), project,
                QPoint(project->width() - 11, project->height() / 2));
    const auto *list = control<QListWidget>(&window, "FileListBox");
    printCentre("at", QStringLiteral("firstFile"), list->viewport(),
                list->visualItemRect(list->item(0)).center());
    const auto *tabs = control<QTabWidget>(&window, "PageControl")->tabBar();
    printCentre("at", QStringLiteral("tabThumbs"), tabs, tabs->tabRect(0).center());
    printCentre("at", QStringLiteral("tabHtml"), tabs, tabs->tabRect(1).center());

    auto *watch = new QTimer(&app);
    auto shown = std::make_shared<QPointer<QWidget>>();
    auto placed = std::make_shared<QHash<QString, QPoint>>();
    QObject::connect(watch, &QTimer::timeout, &app, [shown, placed, &window] {
        // The editor's controls once they show, and every thumbnail's
        // caption, printed again whenever it moves.
        QList<std::pair<QString, const QWidget *>> tracked;
        for (const char *name : {"btnRedactImage", "btnMiddle", "btnViewThumbs", "btnLL",
                                 "btnCutImage", "btnStart", "btnSavePropProj", "chbSmoothThumbs",
                                 "chbKeepOriginals", "pnlBGColorPage", "CL", "DirectoryTree"})
            tracked.append({QLatin1String(name), control<QWidget>(&window, name)});
        for (int i = 0; i < window.thumbsCount(); ++i)
            tracked.append({QStringLiteral("thumb%1").arg(i), window.thumbs()[i].CaptionLabel});
        for (const auto &[name, widget] : tracked) {
            // A check box takes clicks on its box and caption only.
            const QPoint inside =
                qobject_cast<const QCheckBox *>(widget)
                    ? QPoint(std::min(8, widget->width() / 2), widget->height() / 2)
                    : widget->rect().center();
            const QPoint centre = widget->mapToGlobal(inside);
            if (widget->isVisible() && placed->value(name) != centre) {
                placed->insert(name, centre);
                printCentre("at", name, widget, inside);
            }
        }
        // The tabs, printed again when the window's size moves them.
        const auto *tabs = control<QTabWidget>(&window, "PageControl")->tabBar();
        for (const auto &[tab, name] : {std::pair{0, "tabThumbs"}, std::pair{1, "tabHtml"}}) {
            const QPoint centre = tabs->mapToGlobal(tabs->tabRect(tab).center());
            if (placed->contains(QLatin1String(name)) &&
                placed->value(QLatin1String(name)) != centre)
                printCentre("at", QLatin1String(name), tabs, tabs->tabRect(tab).center());
            placed->insert(QLatin1String(name), centre);
        }
        QWidget *modal = QApplication::activeModalWidget();
        if (modal == *shown)
            return;
        *shown = modal;
        if (!modal)
            return;
        const QString name = modal->objectName().isEmpty()
                                 ? QString::fromLatin1(modal->metaObject()->className())
                                 : modal->objectName();
        const auto *box = modal->findChild<QLineEdit *>();
        printCentre("modal", name, box ? box : modal, (box ? box : modal)->rect().center());
    });
    watch->start(100);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pictavel"));
    QApplication::setStyle(new HintDelayStyle);
    installTranslations(QLocale::system());
    const QStringList args = QApplication::arguments();
    const bool walk = args.size() == 4 && args.at(2) == QLatin1String("--walk");
    const bool hold = args.size() == 3 && args.at(2) == QLatin1String("--hold");
    const bool fresh = args.size() == 4 && args.at(2) == QLatin1String("--fresh");
    if (args.size() != 2 && !walk && !hold && !fresh) {
        qWarning("usage: %s OUTPUT.png [--walk PROJECT_FOLDER | --hold | --fresh PICTURES]",
                 qPrintable(args.value(0)));
        return 2;
    }
    if (fresh) {
        QTemporaryDir exeFolder;
        std::printf("exe %s\n", qPrintable(exeFolder.path()));
        std::fflush(stdout);
        TFormMain window(exeFolder.path());
        window.show();
        openInFileList(window, args.at(3));
        QTimer::singleShot(1000, &app, [&app, &window] { reportPlaces(app, window); });
        return app.exec();
    }
    const QString shot = args.at(1);
    QTemporaryDir dir;
    const QString project = walk ? args.at(3) : dir.filePath(QStringLiteral("project"));
    const QString pictures = dir.filePath(QStringLiteral("pictures"));
    QDir().mkpath(pictures);
    QString longName;
    if (walk) {
        const QSize sizes[] = {{640, 480}, {480, 640}, {800, 450}, {600, 600}, {1024, 768}};
        for (int i = 0; i < 5; ++i)
            makePicture(QStringLiteral("%1/photo%2.%3")
                            .arg(pictures)
                            .arg(i + 1)
                            .arg(i == 3 ? "bmp" : "jpg"),
                        sizes[i].width(), sizes[i].height(), i);
    } else {
        for (int i = 0; i < 23; ++i)
            makePicture(
                QStringLiteral("%1/photo%2.jpg").arg(pictures).arg(i + 1, 2, 10, QChar(u'0')),
                480 + 40 * (i % 5), 360 + 30 * (i % 3), i);
        // Sorts last: the 24th thumbnail, and the file the panes describe.
        longName = QStringLiteral("Семейный праздник на даче у бабушки, вечер 2024-07-14.jpg");
        makePicture(pictures + u'/' + longName, 6000, 4000, 23, 24);
    }

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
        if (walk) {
            if (!saveScreen(shot))
                return app.exit(1);
            return walkCropAndExport(app, window, shot);
        }
        // The long-named picture current in the grid and focused in the file
        // list, with every file selected again (the add keeps only the last).
        window.ThumbClick(window.thumbs().last().CaptionLabel);
        auto *list = control<QListWidget>(&window, "FileListBox");
        list->selectAll();
        list->setCurrentItem(list->findItems(longName, Qt::MatchExactly).value(0),
                             QItemSelectionModel::NoUpdate);
        window.FileListBoxClick();
        if (hold)
            return reportViews(app, window);
        shootLongestTexts(app, window, shot);
    });
    return app.exec();
}
