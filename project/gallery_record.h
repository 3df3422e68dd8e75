#pragma once

#include "project/gallery_plan.h"
#include "project/output_names.h"
#include "project/set_picture.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

// A set kept for its project folder, so that the window can reopen it and
// pictavel-build can rebuild it.
struct GalleryRecord
{
    // The project folder's canonical path.
    QString projectFolder;
    QString profile;
    QString galleryFolderText;
    QString thumbsFolderText;
    NamingSettings naming;
    QList<SetPicture> pictures;
    // Every setting in effect, as a profile stores it, by its key; empty in
    // a record written before they were kept.
    QMap<QString, QString> settings{};

    bool operator==(const GalleryRecord &) const = default;
};

// The record is a JSON file in the user's data folder
// (QStandardPaths::AppDataLocation), in "galleries/", named by the SHA-1 of
// the project folder's canonical path:
//
//   { "format": "pictavel-gallery", "version": 1,
//     "projectFolder": "/home/ann/www/trip",
//     "profile": "Default",
//     "galleryFolder": "\\gal", "thumbsFolder": "\\thumb",
//     "renaming": false, "picturePrefix": "A_", "thumbnailPrefix": "B_",
//     "pictures": [ { "source": "/home/ann/photos/a.jpg",
//                     "edited": "/home/ann/www/trip/gal/a.jpg",
//                     "caption": "a.jpg", "thumbRemade": true }, ... ],
//     "settings": { "edtTitle.Text": "Trip", "spinMaxW.Value": "110", ... } }
//
// "edited" and "thumbRemade" may be left out (unedited, first making), and
// "settings" (a record that kept none). A
// reader of another version refuses the file instead of guessing.
inline constexpr int kGalleryRecordVersion = 1;
// A record file larger than this is refused: a few hundred bytes a picture.
inline constexpr qint64 kMaxGalleryRecordBytes = 64 << 20;

// Where the record of `projectFolder` lives; empty when the folder does not
// exist, since only an existing folder has a canonical path.
QString galleryRecordPath(const QString &projectFolder);

// Writes the record of its project folder atomically. Raises PictavelError
// naming the file that could not be written.
void saveGalleryRecord(const GalleryRecord &record);

// The record of `projectFolder`; nothing when there is none. Raises
// PictavelError naming the file when it cannot be read, is no regular file
// (a pipe or a device is never waited on) or too large, is not a record of
// this version or belongs to another folder (one that moved).
std::optional<GalleryRecord> loadGalleryRecord(const QString &projectFolder);

// Removes the record of `projectFolder`, if any.
void removeGalleryRecord(const QString &projectFolder);

// The recorded pictures whose source and edited copy are both still there,
// in order; each one left out is named in `leftOut` ("path: no such file").
QList<SetPicture> recordedPictures(const GalleryRecord &record, QStringList &leftOut);

// Why a recorded picture cannot be reopened: the first of its source and
// edited copy (empty when unedited) that no longer exists, as
// "path: no such file"; empty when both are there.
QString missingRecordedFile(const QString &source, const QString &edited);
