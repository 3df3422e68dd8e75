#include "collection/thumb_set.h"

#include "base/paths.h"
#include "collection/project_files.h"
#include "project/project_folders.h"

#include <QDir>
#include <QFileInfo>

namespace {

// One text for one file: its path after links, as far as it exists.
QString sameFileKey(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

const QString Pending = QStringLiteral("~");

} // namespace

ThumbSet::ThumbSet(QList<SetPicture> &entries, const NamingSettings &naming,
                   const ProjectFolders &folders)
    : m_entries(entries), m_naming(naming), m_folders(folders)
{
}

QString ThumbSet::pictureName(int index) const
{
    return outputFileName(index, TFileKind::Picture, m_naming, m_entries.at(index).caption);
}

QString ThumbSet::thumbnailName(int index) const
{
    return outputFileName(index, TFileKind::Thumbnail, m_naming, m_entries.at(index).caption);
}

QString ThumbSet::picturePath(int index) const
{
    return joinPath(m_folders.gallery, pictureName(index));
}

QString ThumbSet::thumbnailPath(int index) const
{
    return joinPath(m_folders.thumbs, thumbnailName(index));
}

const SourceFiles &ThumbSet::sources() const
{
    if (!m_sources) {
        QStringList paths;
        for (const SetPicture &entry : m_entries)
            paths << entry.source;
        m_sources.emplace(paths);
    }
    return *m_sources;
}

bool ThumbSet::isSource(const QString &path) const
{
    return !sources().sourceAt(path).isEmpty();
}

bool ThumbSet::foldersInsideProject() const
{
    const QString &project = m_folders.project;
    return !project.isEmpty() && pathIsInside(m_folders.gallery, project) &&
           pathIsInside(m_folders.thumbs, project);
}

bool ThumbSet::mayTouch(const QString &path) const
{
    if (!foldersInsideProject())
        return false;
    const QString clean = QDir::cleanPath(QFileInfo(path).path());
    return (clean == QDir::cleanPath(m_folders.gallery) ||
            clean == QDir::cleanPath(m_folders.thumbs)) &&
           !isSource(path);
}

void ThumbSet::deleteFile(const QString &path) const
{
    if (mayTouch(path))
        ProjectFiles::deleteFile(path);
}

void ThumbSet::renameFile(const QString &from, const QString &to) const
{
    if (mayTouch(from) && mayTouch(to))
        ProjectFiles::renameFile(from, to);
}

void ThumbSet::renameToNumbers(const QStringList &previousThumbnailNames)
{
    NamingSettings numbered = m_naming;
    numbered.renaming = true;
    const ThumbSet after(m_entries, numbered, m_folders);
    for (int i = 0; i < m_entries.size(); ++i) {
        SetPicture &entry = m_entries[i];
        const QString old = entry.caption;
        entry.caption = after.pictureName(i);
        if (entry.isEdited()) {
            const QString edited = after.picturePath(i);
            renameFile(entry.edited, edited);
            entry.edited = edited;
            // Only the thumbnail file itself follows; the edited copy never
            // goes under a thumbnail's name, even when both folders are one.
            const QString previous = joinPath(m_folders.thumbs, previousThumbnailNames.value(i));
            if (sameFileKey(previous) != sameFileKey(edited))
                renameFile(previous, after.thumbnailPath(i));
        } else {
            deleteFile(joinPath(m_folders.gallery, old));
            deleteFile(joinPath(m_folders.thumbs, old));
        }
    }
}

void ThumbSet::renameToSources()
{
    NamingSettings plain = m_naming;
    plain.renaming = false;
    const ThumbSet after(m_entries, plain, m_folders);
    for (int i = 0; i < m_entries.size(); ++i) {
        SetPicture &entry = m_entries[i];
        const QString old = entry.caption;
        deleteFile(joinPath(m_folders.thumbs,
                            m_naming.thumbnailPrefix + thumbNumber(i) + QStringLiteral(".jpg")));
        entry.caption = QFileInfo(entry.source).fileName();
        QStringList earlierNames;
        for (int e = 0; e < i; ++e)
            earlierNames << m_entries.at(e).caption;
        entry.caption = distinctName(after.pictureName(i), earlierNames);
        if (entry.isEdited())
            entry.edited = after.picturePath(i);
        renameFile(joinPath(m_folders.gallery, old), after.picturePath(i));
    }
}

void ThumbSet::remove(int index)
{
    const int count = int(m_entries.size());
    deleteFile(picturePath(index));
    deleteFile(thumbnailPath(index));
    for (int b = index; b < count - 1; ++b) {
        // The files move first, while every entry still names its own source.
        if (m_naming.renaming) {
            renameFile(picturePath(b + 1), picturePath(b));
            renameFile(thumbnailPath(b + 1), thumbnailPath(b));
        }
        SetPicture &here = m_entries[b];
        const SetPicture &next = m_entries.at(b + 1);
        if (!m_naming.renaming)
            here.caption = next.caption;
        here.source = next.source;
        here.edited = next.isEdited() ? picturePath(b) : QString();
        here.thumbRemade = next.thumbRemade;
    }
    m_entries.removeLast();
}

void ThumbSet::beginExchange(int index)
{
    if (!m_naming.renaming)
        return;
    renameFile(picturePath(index), picturePath(index) + Pending);
    renameFile(thumbnailPath(index), thumbnailPath(index) + Pending);
}

void ThumbSet::finishExchange(int source, const SetPicture &sourceAtBegin, int target)
{
    const SetPicture kept = m_entries.at(target);
    if (!m_naming.renaming) {
        m_entries[target].caption = m_entries.at(source).caption;
    } else {
        renameFile(picturePath(target), picturePath(source));
        renameFile(thumbnailPath(target), thumbnailPath(source));
    }
    m_entries[target].source = sourceAtBegin.source;
    m_entries[target].edited = sourceAtBegin.isEdited() ? picturePath(target) : QString();
    m_entries[target].thumbRemade = sourceAtBegin.thumbRemade;

    if (!m_naming.renaming) {
        m_entries[source].caption = kept.caption;
    } else {
        renameFile(picturePath(source) + Pending, picturePath(target));
        renameFile(thumbnailPath(source) + Pending, thumbnailPath(target));
    }
    m_entries[source].source = kept.source;
    m_entries[source].edited = kept.isEdited() ? picturePath(source) : QString();
    m_entries[source].thumbRemade = kept.thumbRemade;
}

void ThumbSet::deleteProjectFiles()
{
    // Folders that would lie outside the project are never emptied.
    if (!foldersInsideProject())
        return;
    const QString page = joinPath(m_folders.project, QStringLiteral("~thumbs.html"));
    for (int i = int(m_entries.size()) - 1; i >= 0; --i) {
        deleteFile(picturePath(i));
        deleteFile(thumbnailPath(i));
        if (!isSource(page))
            ProjectFiles::deleteFile(page);
    }
    ProjectFiles::removeFolder(m_folders.gallery);
    ProjectFiles::removeFolder(m_folders.thumbs);
}
