// pictavel-build: the gallery that the window's "Start" writes, built from the
// command line with the settings of a saved profile.

#include "base/paths.h"
#include "base/pictavel_error.h"
#include "base/text_file.h"
#include "build_tool/build_options.h"
#include "build_tool/picture_arguments.h"
#include "build_tool/progress_line.h"
#include "collection/picture_folder.h"
#include "export/export_lock.h"
#include "export/gallery_export.h"
#include "project/gallery_record.h"
#include "project/gallery_settings.h"
#include "project/profile_list.h"
#include "project/settings_store.h"
#include "project/settings_table.h"

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

// What became of the pictures asked for, as the last line tells it.
struct BuildCounts
{
    int written = 0;
    int upToDate = 0;
    // Their files are gone: a named source, or a recorded picture.
    int leftOut = 0;
    // They could not be opened, read or written.
    int failed = 0;

    int total() const { return written + upToDate + leftOut + failed; }
};

// Writes the gallery of `job`, whose items' pictures have not been read yet,
// into the existing project folder; the exit status. `unopenable` pictures
// were asked for but cannot be opened by name: they count as failed;
// `leftOut` recorded pictures were left out before.
int buildGallery(const BuildOptions &options, const GallerySettings &settings, ExportJob job,
                 const QStringList &unopenable = {}, int leftOut = 0)
{
    job.full = options.full;
    if (settings.modernPage())
        planModernExport(job);
    job.onNotice = [](const QString &notice) {
        report(notice);
    };
    const GalleryLayout layout = settings.layout();
    const auto source = [&job](int i) {
        return job.items.at(i).sourcePath;
    };
    const int count = int(job.items.size());

    QList<ExportOutcome> outcomes;
    std::optional<ExportLock> lock;
    try {
        lock.emplace(layout.projectFolder, ExportLock::WhenBusy::Wait, job.onNotice);
        ProgressLine progress(count, options.quiet);
        int done = 0;
        // Quiet, the engine need not wake this thread for every picture.
        ExportProgress onProgress;
        if (!options.quiet)
            onProgress = [&](int, int, const ExportOutcome &last) {
                if (last.kind == ExportOutcome::Kind::Written)
                    progress.show(++done);
            };
        outcomes = exportItems(job, OnFailure::GoOn, onProgress);
    } catch (const PictavelError &error) {
        // Refused before anything was written.
        report(error.message());
        return kCannotStart;
    }
    BuildCounts counts;
    counts.leftOut = leftOut;
    counts.failed = int(unopenable.size());
    for (const QString &name : unopenable)
        report(name + QStringLiteral(": the file name is not UTF-8, so the file cannot be opened; "
                                     "rename it"));
    bool folderFailed = false;
    try {
        ensureFolder(layout.pictureFolder);
    } catch (const PictavelError &error) {
        report(error.message());
        folderFailed = true;
    }
    for (int i = 0; i < count; ++i) {
        const ExportOutcome &outcome = outcomes.at(i);
        if (!outcome.warning.isEmpty())
            report(QStringLiteral("warning: %1: %2").arg(source(i), outcome.warning));
        switch (outcome.kind) {
        case ExportOutcome::Kind::Written:
            ++(outcome.wroteFiles ? counts.written : counts.upToDate);
            break;
        case ExportOutcome::Kind::SourceMissing:
            report(source(i) + QStringLiteral(": no such file"));
            ++counts.leftOut;
            break;
        case ExportOutcome::Kind::Failed:
        case ExportOutcome::Kind::NotStarted:
            // A decoder's message names its file already; a write's names
            // the file it could not write.
            report(outcome.reason.contains(source(i))
                       ? outcome.reason
                       : source(i) + QStringLiteral(": ") + outcome.reason);
            ++counts.failed;
            break;
        }
    }
    if (settings.modernPage()) {
        QList<QStringList> pages = sourcesModernPages(settings.pageSettings(), outcomes);
        job.pageLines = pages.takeFirst();
        job.morePages = pages;
    } else {
        job.pageLines = sourcesPage(settings.pageSettings(), outcomes);
    }
    QString page;
    try {
        page = writeGalleryPages(job);
    } catch (const PictavelError &error) {
        report(error.message());
        return kSomePictureFailed;
    }
    if (!options.quiet)
        report(QStringLiteral("%1 pictures: %2 written, %3 up to date, %4 left out, %5 failed: %6")
                   .arg(counts.total())
                   .arg(counts.written)
                   .arg(counts.upToDate)
                   .arg(counts.leftOut)
                   .arg(counts.failed)
                   .arg(page));
    return folderFailed || counts.leftOut > 0 || counts.failed > 0 ? kSomePictureFailed : kDone;
}

// The set the window recorded for the project folder, asked for by giving
// no pictures.
GalleryRecord recordedGallery(const QString &projectFolder)
{
    std::optional<GalleryRecord> record = loadGalleryRecord(projectFolder);
    if (!record)
        throw PictavelError(
            QStringLiteral("no gallery is recorded for %1: name the pictures to build it from")
                .arg(projectFolder));
    return *record;
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

// With numbered names a picture left out moves those after it down a
// number; only the window's reopening moves their edited copies along.
bool editedAfterLeftOut(const GalleryRecord &record)
{
    bool leftOut = false;
    for (const SetPicture &picture : record.pictures) {
        if (!missingRecordedFile(picture.source, picture.edited).isEmpty())
            leftOut = true;
        else if (leftOut && !picture.edited.isEmpty())
            return true;
    }
    return false;
}

// Builds the recorded set: pictures whose files are gone are left out, as the
// window leaves them out on reopening it, and the others are built all the
// same.
int buildRecordedGallery(const BuildOptions &options, const GallerySettings &settings,
                         const GalleryRecord &record)
{
    QStringList leftOut;
    const QList<SetPicture> pictures = recordedPictures(record, leftOut);
    if (!leftOut.isEmpty() && record.naming.renaming && editedAfterLeftOut(record)) {
        report(QStringLiteral("%1: an edited picture would change its number; open the "
                              "project folder in the window to renumber its files")
                   .arg(leftOut.first()));
        return kCannotStart;
    }
    for (const QString &missing : std::as_const(leftOut))
        report(missing);
    return buildGallery(options, settings,
                        readableEntriesExportJob(settings.layout(), pictures, options.jobs), {},
                        int(leftOut.size()));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // The window's name: the settings file may live in its configuration folder.
    QCoreApplication::setApplicationName(QStringLiteral("Pictavel"));
    GallerySettings settings;
    std::optional<BuildOptions> options;
    std::optional<GalleryRecord> record;
    const QHash<QString, QByteArray> undecoded = undecodedArguments(argc, argv);
    try {
        options = parseBuildOptions(app.arguments());
        if (!options)
            return kDone;
        if (undecoded.contains(options->projectFolder))
            throw PictavelError(QStringLiteral("the project folder %1 is not named in UTF-8")
                                    .arg(shownFileName(undecoded.value(options->projectFolder))));
        const QString project =
            QDir::cleanPath(QFileInfo(options->projectFolder).absoluteFilePath());
        // The recorded set's settings in effect, unless a profile is asked for.
        bool recordedSettings = false;
        if (options->pictures.isEmpty()) {
            record = recordedGallery(project);
            recordedSettings = options->profile.isEmpty();
            if (recordedSettings)
                options->profile = record->profile;
        }
        loadSettings(*options, settings);
        if (recordedSettings)
            applyStoredSettings(galleryProps(), settings.resolver(), record->settings);
        for (const QString &entry : std::as_const(options->turnedOn))
            settings.turnOn(entry);
        settings.chooseProjectFolder(project);
        if (record)
            settings.applyProjectTexts(record->galleryFolderText, record->thumbsFolderText,
                                       record->naming);
        settings.checkFolderTexts();
        ensureFolderPath(project, QStringLiteral("cannot create the project folder %1"));
    } catch (const PictavelError &error) {
        report(error.message());
        return kCannotStart;
    }
    if (record)
        return buildRecordedGallery(*options, settings, *record);
    const PictureArguments pictures = expandPictureArguments(options->pictures, undecoded);
    return buildGallery(*options, settings,
                        sourcesExportJob(settings.layout(), pictures.pictures, options->jobs),
                        pictures.unopenable);
}
