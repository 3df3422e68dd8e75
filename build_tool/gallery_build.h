#pragma once

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>

// One picture of the gallery and the files made from it.
struct BuildPicture
{
    QString source;
    QString picturePath;
    QString thumbPath;
    // False for a file that a later write of the set replaces anyway (two
    // pictures with one output name, or a picture and its thumbnail in one
    // file), so that the result is the one a write in set order leaves,
    // whichever worker finishes first.
    bool writePicture = true;
    bool writeThumb = true;
};

struct BuildFailure
{
    QString source;
    QString reason;
};

// The pictures of the set, writing every file in set order, each output file
// only by the last write of the set that makes it.
QList<BuildPicture> planPictures(const QStringList &sources, const QStringList &picturePaths,
                                 const QStringList &thumbPaths);

// Makes every picture's files on `jobs` threads, each with its own decode
// buffers: the picture decoded once, its thumbnail fitted into `thumbBox` and
// both written as quality 90 JPEG files, each file replaced only once it is
// complete. A picture that fails does not stop the others. `onProgress` runs
// on the calling thread with the number of pictures done whenever it has
// grown, the last time with all of them. The failures come back in set order.
QList<BuildFailure> buildPictures(const QList<BuildPicture> &pictures, const QString &pictureFolder,
                                  const QString &thumbFolder, const QSize &thumbBox, int jobs,
                                  const std::function<void(int done)> &onProgress);
