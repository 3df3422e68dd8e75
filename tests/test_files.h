#pragma once

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QString>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>

inline QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Every file under `folder` by its path inside it, with its bytes.
inline QMap<QString, QByteArray> filesUnder(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        files.insert(QDir(folder).relativeFilePath(file), readBytes(file));
    }
    return files;
}

inline timespec modified(const QString &path)
{
    struct stat info
    {
    };
    ::stat(QFile::encodeName(path).constData(), &info);
    return info.st_mtim;
}

inline void setModified(const QString &path, const timespec &time)
{
    const timespec times[2] = {time, time};
    QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

// Writes `bytes` over the file at `path` in place, of the same size, and sets
// its modification time back, as a program that hides its change would: only
// the status-change time tells.
inline void overwriteKeepingTime(const QString &path, const QByteArray &bytes)
{
    const timespec time = modified(path);
    QFile out(path);
    QVERIFY(out.open(QIODevice::ReadWrite));
    QCOMPARE(out.size(), bytes.size());
    QCOMPARE(out.write(bytes), bytes.size());
    out.close();
    setModified(path, time);
}
