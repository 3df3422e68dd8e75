#include "collection/output_names.h"

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
    return (dot < 0 ? QString() : caption.left(dot + 1)) + QStringLiteral("jpg");
}

QString provisionalCaption(int index, const NamingSettings &naming, const QString &sourcePath)
{
    if (naming.renaming)
        return outputFileName(index, TFileKind::Picture, naming, QString());
    return QFileInfo(sourcePath).fileName();
}
