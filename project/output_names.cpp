#include "project/output_names.h"

#include <QFileInfo>

QString thumbNumber(int index)
{
    const QString number = QString::number(qint64(index) + 1);
    return number.size() == 1 ? u'0' + number : number;
}

QString outputFileName(int index, TFileKind kind, const NamingSettings &naming,
                       const QString &caption)
{
    if (naming.renaming) {
        const QString &prefix =
            kind == TFileKind::Picture ? naming.picturePrefix : naming.thumbnailPrefix;
        return prefix + thumbNumber(index) + QStringLiteral(".jpg");
    }
    const qsizetype dot = caption.indexOf(u'.');
    if (dot == 0)
        return QStringLiteral("picture.jpg");
    return (dot < 0 ? QString() : caption.left(dot + 1)) + QStringLiteral("jpg");
}

QString distinctName(const QString &name, const QStringList &takenNames)
{
    if (!takenNames.contains(name, Qt::CaseInsensitive))
        return name;
    const qsizetype dot = name.indexOf(u'.');
    const QString stem = dot < 0 ? name : name.left(dot);
    const QString rest = dot < 0 ? QString() : name.mid(dot);
    for (qint64 n = 2;; ++n) {
        const QString candidate = stem + u'_' + QString::number(n) + rest;
        if (!takenNames.contains(candidate, Qt::CaseInsensitive))
            return candidate;
    }
}

QString finalCaption(int index, const NamingSettings &naming, const QString &sourcePath,
                     const QStringList &earlierNames)
{
    const QString name = outputFileName(index, TFileKind::Picture, naming,
                                        provisionalCaption(index, naming, sourcePath));
    // Numbered names differ by their numbers.
    return naming.renaming ? name : distinctName(name, earlierNames);
}

QString provisionalCaption(int index, const NamingSettings &naming, const QString &sourcePath)
{
    if (naming.renaming)
        return outputFileName(index, TFileKind::Picture, naming, QString());
    return QFileInfo(sourcePath).fileName();
}
