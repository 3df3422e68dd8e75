#include "build_tool/build_options.h"

#include "base/pictavel_error.h"
#include "project/settings_location.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QThread>

#include <cstdio>

std::optional<BuildOptions> parseBuildOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Builds a picture gallery as Pictavel's \"Start\" writes it: full-size "
                       "pictures, thumbnails and ~thumbs.html under PROJECT_FOLDER, with the "
                       "settings of a saved profile."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows this help."));
    const QCommandLineOption ini(
        QStringLiteral("ini"),
        QStringLiteral("The settings file (default: the window's propstor.ini, beside the program "
                       "or, where that folder cannot be written, in ~/.config/Pictavel)."),
        QStringLiteral("FILE"));
    const QCommandLineOption profile(
        QStringLiteral("profile"),
        QStringLiteral("The profile to build with (default: the first of the file's list)."),
        QStringLiteral("NAME"));
    const QCommandLineOption jobs(
        QStringLiteral("jobs"),
        QStringLiteral("Pictures made at the same time (default: one per processor)."),
        QStringLiteral("N"));
    const QCommandLineOption quiet(QStringLiteral("quiet"),
                                   QStringLiteral("Prints no progress, only problems."));
    const QCommandLineOption smooth(
        QStringLiteral("smooth-thumbnails"),
        QStringLiteral("Thumbnails average the whole area each of their pixels covers (on over "
                       "the profile)."));
    const QCommandLineOption keep(
        QStringLiteral("keep-originals"),
        QStringLiteral("Unedited JPEG pictures are published as their own compressed data, "
                       "turned upright losslessly, with their colour profile and no other "
                       "metadata (on over the profile)."));
    const QCommandLineOption modern(
        QStringLiteral("modern-page"),
        QStringLiteral("Writes the modern page, with a viewer and screen-sized copies in view/ "
                       "(on over the profile)."));
    const QCommandLineOption full(
        QStringLiteral("full"),
        QStringLiteral("Writes every file, even those the last build left up to date."));
    parser.addOptions({help, ini, profile, jobs, quiet, smooth, keep, modern, full});
    parser.addPositionalArgument(QStringLiteral("PROJECT_FOLDER"),
                                 QStringLiteral("Where the gallery is written; made if missing."));
    parser.addPositionalArgument(
        QStringLiteral("PICTURE_OR_FOLDER"),
        QStringLiteral("JPEG, BMP or GIF files in gallery order; a folder gives its picture "
                       "files sorted by name. None: the set the window recorded for "
                       "PROJECT_FOLDER, with its profile unless --profile names one."),
        QStringLiteral("PICTURE_OR_FOLDER..."));

    if (!parser.parse(arguments))
        throw PictavelError(parser.errorText());
    if (parser.isSet(help)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return std::nullopt;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        throw PictavelError(
            QStringLiteral("expected a project folder and the pictures or folders, if any "
                           "(see --help)"));

    BuildOptions options;
    options.iniPath = parser.isSet(ini) ? parser.value(ini)
                                        : settingsFilePath(QCoreApplication::applicationDirPath());
    options.iniGiven = parser.isSet(ini);
    options.profile = parser.value(profile);
    options.jobs = QThread::idealThreadCount();
    if (parser.isSet(jobs)) {
        bool ok = false;
        options.jobs = parser.value(jobs).toInt(&ok);
        if (!ok || options.jobs < 1)
            throw PictavelError(QStringLiteral("--jobs needs a whole number from 1 up, not \"%1\"")
                                    .arg(parser.value(jobs)));
    }
    options.quiet = parser.isSet(quiet);
    if (parser.isSet(smooth))
        options.turnedOn << QStringLiteral("chbSmoothThumbs.Checked");
    if (parser.isSet(keep))
        options.turnedOn << QStringLiteral("chbKeepOriginals.Checked");
    if (parser.isSet(modern))
        options.turnedOn << QStringLiteral("chbModernPage.Checked");
    options.full = parser.isSet(full);
    options.projectFolder = positional.first();
    options.pictures = positional.mid(1);
    return options;
}
