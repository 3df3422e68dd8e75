#pragma once

#include <QString>

// The two files written for a thumbnail: its full picture and its thumbnail.
enum class TFileKind { Picture, Thumbnail };

// The renaming prefixes every start of the window begins with; they are not
// persisted.
inline constexpr char kStartPicturePrefix[] = "A_";
inline constexpr char kStartThumbnailPrefix[] = "B_";

// What the output names depend on besides the index.
struct NamingSettings
{
    bool renaming = false;
    QString picturePrefix;
    QString thumbnailPrefix;

    bool operator==(const NamingSettings &) const = default;
};

// The number of the thumbnail at `index` in its file names: index + 1, with
// one "0" in front when it has a single digit (01 ... 09, 10, 100).
QString thumbNumber(int index);

// The name under which the thumbnail at `index` is written. Renaming on: the
// kind's prefix, the number and ".jpg". Off: the caption cut after its first
// "." (which stays) followed by "jpg", for both kinds; a caption that begins
// with "." (a source named ".jpg") gives "picture.jpg" instead of a hidden
// file.
QString outputFileName(int index, TFileKind kind, const NamingSettings &naming,
                       const QString &caption);

// `name` unless one of `takenNames` has it, without regard to case (on a
// server that ignores case they would be one file); otherwise the first of
// "stem_2.ext", "stem_3.ext", ... that is free, where the stem is the part
// before the first ".".
QString distinctName(const QString &name, const QStringList &takenNames);

// The caption a thumbnail added at `index` after the thumbnails named
// `earlierNames` keeps once its picture is made: its picture name, distinct
// from theirs, so that no two thumbnails of a set share a file.
QString finalCaption(int index, const NamingSettings &naming, const QString &sourcePath,
                     const QStringList &earlierNames);

// The caption a new thumbnail shows before its picture is made: with renaming
// on the picture name, otherwise the source file's name.
QString provisionalCaption(int index, const NamingSettings &naming, const QString &sourcePath);
