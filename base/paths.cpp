#include "base/paths.h"

#include "base/pictavel_error.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

[[noreturn]] void cannotCreate(const QString &what, const QString &folder, int error)
{
    throw PictavelError(what.arg(folder) + QStringLiteral(": ") +
                        QString::fromLocal8Bit(std::strerror(error)));
}

// mkdir() of one folder; true when it is there afterwards, made by this call
// or by another thread meanwhile.
bool makeFolder(const QString &folder, int &error)
{
    if (::mkdir(QFile::encodeName(folder).constData(), 0777) == 0)
        return true;
    error = errno;
    if (QFileInfo(folder).isDir())
        return true;
    // Something that is no folder stands in the way.
    if (error == EEXIST)
        error = ENOTDIR;
    return false;
}

// makeFolder() of `folder` after its missing parents.
bool makeFolderPath(const QString &folder, int &error)
{
    if (QFileInfo(folder).isDir())
        return true;
    const QString parent = QFileInfo(folder).path();
    if (parent != folder && !makeFolderPath(parent, error))
        return false;
    return makeFolder(folder, error);
}

} // namespace

QString joinPath(const QString &folder, const QString &fileName)
{
    return folder + u'/' + fileName;
}

void ensureFolder(const QString &folder)
{
    if (QFileInfo(folder).isDir())
        return;
    int error = 0;
    if (!makeFolder(folder, error))
        cannotCreate(QStringLiteral("Cannot create folder %1"), folder, error);
}

void ensureFolderPath(const QString &folder, const QString &what)
{
    int error = 0;
    if (!makeFolderPath(QDir::cleanPath(QFileInfo(folder).absoluteFilePath()), error))
        cannotCreate(what, folder, error);
}

QString projectRecordPath(QStandardPaths::StandardLocation location, const QString &kind,
                          const QString &projectFolder)
{
    const QString canonical = QFileInfo(projectFolder).canonicalFilePath();
    if (canonical.isEmpty())
        return {};
    const QByteArray key =
        QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha1).toHex();
    return joinPath(joinPath(QStandardPaths::writableLocation(location), kind),
                    QString::fromLatin1(key) + QStringLiteral(".json"));
}
