#pragma once

#include <QHash>
#include <QPair>
#include <QString>
#include <QStringList>

// The source pictures of a set, known by their device and inode, so that a
// file the program writes, renames or deletes is never one of them under
// another name: a symbolic link to it, a second hard link, another spelling
// of its path.
class SourceFiles
{
public:
    explicit SourceFiles(const QStringList &paths);

    // The source that `path` names, following links; empty when none.
    QString sourceAt(const QString &path) const;

private:
    QHash<QPair<quint64, quint64>, QString> m_sources;
};
