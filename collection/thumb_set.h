#pragma once

#include "base/same_file.h"
#include "project/output_names.h"
#include "project/set_picture.h"

#include <QList>
#include <QString>

#include <optional>

// The project's three folders, as the window derived them.
struct ProjectFolders
{
    QString project;
    QString gallery;
    QString thumbs;
};

// The set's rules on entries and on the files in the project folders. The
// window moves pixels and controls; these keep names, paths and files in step.
class ThumbSet
{
public:
    ThumbSet(QList<SetPicture> &pictures, const NamingSettings &naming,
             const ProjectFolders &folders);

    QString pictureName(int index) const;
    QString thumbnailName(int index) const;
    QString picturePath(int index) const;
    QString thumbnailPath(int index) const;

    // Renaming switched on: captions become the numbered picture names, an
    // edited copy and the thumbnail file written under the previous
    // thumbnail name follow to the new names, other copies under the old
    // names are deleted. `previousThumbnailNames` are the thumbnail names
    // before the switch (for the files an earlier export wrote).
    void renameToNumbers(const QStringList &previousThumbnailNames);
    // Renaming switched off: captions go back to the source names, numbered
    // thumbnail files are deleted and picture files renamed.
    void renameToSources();

    // Removes the thumbnail at `index`: its two files are deleted and the
    // later thumbnails move down one place with their files.
    void remove(int index);

    // The first double-click of an exchange: with renaming on, the two files
    // of `index` get a trailing "~".
    void beginExchange(int index);
    // The second one: the thumbnail at `target` and the one the exchange began
    // with (`source`, whose paths are those it had then) trade places.
    void finishExchange(int source, const SetPicture &sourceAtBegin, int target);

    // Deletes every thumbnail's two files and the page, then the two folders
    // when they are empty.
    void deleteProjectFiles();

    // A source picture is never deleted, renamed or written over, even when a
    // folder of the project holds it under an output name, or a link to it.
    bool isSource(const QString &path) const;
    // The set's source pictures: the originals of edited thumbnails, the
    // pictures of the others.
    const SourceFiles &sources() const;

private:
    // Files are deleted or renamed only inside the picture and thumbnail
    // folders, and only while both lie inside the project folder; never a
    // source picture.
    bool foldersInsideProject() const;
    bool mayTouch(const QString &path) const;
    void deleteFile(const QString &path) const;
    void renameFile(const QString &from, const QString &to) const;

    QList<SetPicture> &m_entries;
    NamingSettings m_naming;
    ProjectFolders m_folders;
    // Known once asked for: the operations rename outputs, never sources.
    mutable std::optional<SourceFiles> m_sources;
};
