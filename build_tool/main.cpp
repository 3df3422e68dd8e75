// pictavel-build: the gallery that the window's "Start" writes, built from the
// command line with the settings of a saved profile.

#include "base/paths.h"
#include "base/pictavel_error.h"
#include "base/text_file.h"
#include "build_tool/build_options.h"
#include "build_tool/picture_arguments.h"
#include "build_tool/progress_line.h"
#include "html/gallery_export.h"
#include "project/gallery_settings.h"
#include "project/profile_list.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace {

constexpr int kDone = 0;
constexpr int kSomePictureFailed = 1;
constexpr int kCannotStart = 2;

void report(const QString &message)
{
    std::fprintf(stderr, "pictavel-build: %s\n", message.toLocal8Bit().constData());
}

// Writes the gallery into the existing project folder; the exit status.
int buildGallery(const BuildOptions &options, GallerySettings &settings, const QString &project)
{
    settings.chooseProjectFolder(project);
    const GalleryLayout layout = settings.layout();
    const QStringList sources = expandPictureArguments(options.pictures);
    const ExportJob job = sourcesExportJob(layout, sources, options.jobs);

    bool failed = false;
    try {
        ensureFolder(layout.pictureFolder);
    } catch (const PictavelError &error) {
        report(error.message());
        failed = true;
    }
    QList<ExportOutcome> outcomes;
    int written = 0;
    {
        ProgressLine progress(int(sources.size()), options.quiet);
        outcomes = exportItems(job, OnFailure::GoOn, [&](int, int, const ExportOutcome &last) {
            if (last.kind == ExportOutcome::Kind::Written)
                progress.show(++written);
        });
    }
    for (int i = 0; i < sources.size(); ++i) {
        const ExportOutcome &outcome = outcomes.at(i);
        if (!outcome.warning.isEmpty())
            report(QStringLiteral("warning: %1: %2").arg(sources.at(i), outcome.warning));
        if (outcome.kind == ExportOutcome::Kind::SourceMissing) {
            report(sources.at(i) + QStringLiteral(": no such file"));
            failed = true;
        } else if (outcome.kind == ExportOutcome::Kind::Failed) {
            // A decoder's message names its file already; a write's names
            // the file it could not write.
            report(outcome.reason.contains(sources.at(i))
                       ? outcome.reason
                       : sources.at(i) + QStringLiteral(": ") + outcome.reason);
            failed = true;
        }
    }
    const QString page = joinPath(project, QString::fromLatin1(kPageFileName));
    try {
        writeTextFile1251(page, sourcesPage(settings.pageSettings(), outcomes));
    } catch (const PictavelError &error) {
        report(error.message());
        return kSomePictureFailed;
    }
    if (!options.quiet)
        report(QStringLiteral("wrote %1 pictures, %2 failed: %3")
                   .arg(written)
                   .arg(sources.size() - written)
                   .arg(page));
    return failed ? kSomePictureFailed : kDone;
}

// The settings of the profile asked for; with no settings file anywhere, the
// first-start "Default" profile's values, which the window would store.
void loadSettings(const BuildOptions &options, GallerySettings &settings)
{
    const bool firstStart = !options.iniGiven && !QFileInfo::exists(options.iniPath);
    if (!firstStart) {
        loadGalleryProfile(options.iniPath, options.profile, settings);
        return;
    }
    if (!options.profile.isEmpty() && options.profile != defaultProfileName())
        throw PictavelError(QStringLiteral("there is no settings file %1, so no profile \"%2\"")
                                .arg(options.iniPath, options.profile));
    report(QStringLiteral("there is no settings file %1: building with the first-start "
                          "\"%2\" profile's values")
               .arg(options.iniPath, defaultProfileName()));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // The window's name: the settings file may live in its configuration folder.
    QCoreApplication::setApplicationName(QStringLiteral("Pictavel"));
    GallerySettings settings;
    std::optional<BuildOptions> options;
    QString project;
    try {
        options = parseBuildOptions(app.arguments());
        if (!options)
            return kDone;
        loadSettings(*options, settings);
        if (options->smoothThumbnails)
            settings.turnOn(QStringLiteral("chbSmoothThumbs.Checked"));
        if (options->keepOriginals)
            settings.turnOn(QStringLiteral("chbKeepOriginals.Checked"));
        settings.checkFolderTexts();
        project = QDir::cleanPath(QFileInfo(options->projectFolder).absoluteFilePath());
        if (!QDir().mkpath(project))
            throw PictavelError(QStringLiteral("cannot create the project folder %1").arg(project));
    } catch (const PictavelError &error) {
        report(error.message());
        return kCannotStart;
    }
    return buildGallery(*options, settings, project);
}
