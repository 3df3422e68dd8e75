// pictavel-build: the gallery that the window's "Start" writes, built from the
// command line with the settings of a saved profile.

#include "base/pictavel_error.h"
#include "base/text_file.h"
#include "build_tool/build_options.h"
#include "build_tool/gallery_profile.h"
#include "build_tool/picture_arguments.h"
#include "build_tool/progress_line.h"
#include "collection/output_names.h"
#include "html/gallery_export.h"
#include "html/page_generator.h"
#include "project/gallery_settings.h"
#include "project/project_folders.h"

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
    const NamingSettings naming = settings.naming();
    const QStringList sources = expandPictureArguments(options.pictures);
    QList<ThumbOutputNames> names;
    ExportJob job{project, settings.galleryPath(), settings.thumbsPath(), {}, {}, options.jobs};
    for (int i = 0; i < sources.size(); ++i) {
        // The caption the window's add gives the thumbnail, and its names.
        const QString caption = outputFileName(i, TFileKind::Picture, naming,
                                               provisionalCaption(i, naming, sources.at(i)));
        const ThumbOutputNames name{outputFileName(i, TFileKind::Picture, naming, caption),
                                    outputFileName(i, TFileKind::Thumbnail, naming, caption)};
        names.append(name);
        job.items.append(
            {sources.at(i), name.pictureName, name.thumbName, false, nullptr, settings.thumbBox()});
    }
    const QStringList page = generatePage(settings.pageSettings(), names);

    bool failed = false;
    try {
        ensureFolder(settings.galleryPath());
    } catch (const PictavelError &error) {
        report(error.message());
        failed = true;
    }
    QList<ExportOutcome> outcomes;
    {
        ProgressLine progress(int(sources.size()), options.quiet);
        outcomes =
            exportItems(job, OnFailure::GoOn, [&progress](int done, int) { progress.show(done); });
    }
    for (int i = 0; i < sources.size(); ++i) {
        const ExportOutcome &outcome = outcomes.at(i);
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
    try {
        writeTextFile1251(joinPath(project, QString::fromLatin1(kPageFileName)), page);
    } catch (const PictavelError &error) {
        report(error.message());
        failed = true;
    }
    return failed ? kSomePictureFailed : kDone;
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
        loadGalleryProfile(options->iniPath, options->profile, settings);
        project = QDir::cleanPath(QFileInfo(options->projectFolder).absoluteFilePath());
        if (!QDir().mkpath(project))
            throw PictavelError(QStringLiteral("cannot create the project folder %1").arg(project));
    } catch (const PictavelError &error) {
        report(error.message());
        return kCannotStart;
    }
    return buildGallery(*options, settings, project);
}
