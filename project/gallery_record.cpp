#include "project/gallery_record.h"

#include "base/atomic_file.h"
#include "base/bounded_read.h"
#include "base/paths.h"
#include "base/pictavel_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QStandardPaths>

namespace {

const QString Format = QStringLiteral("pictavel-gallery");

QString canonicalFolder(const QString &folder)
{
    return QFileInfo(folder).canonicalFilePath();
}

QJsonObject pictureObject(const SetPicture &picture)
{
    QJsonObject object{{QStringLiteral("source"), picture.source},
                       {QStringLiteral("caption"), picture.caption}};
    if (!picture.edited.isEmpty())
        object.insert(QStringLiteral("edited"), picture.edited);
    if (picture.thumbRemade)
        object.insert(QStringLiteral("thumbRemade"), true);
    return object;
}

// The reasons a file is not a record, each raised as the one message that
// names the file.
class RecordReader
{
public:
    explicit RecordReader(const QString &path) : m_path(path) {}

    [[noreturn]] void refuse(const QString &reason) const
    {
        throw PictavelError(
            QStringLiteral("The gallery record %1 cannot be used: %2").arg(m_path, reason));
    }

    QString text(const QJsonObject &object, const QString &key, bool required = true) const
    {
        const QJsonValue value = object.value(key);
        if (value.isUndefined() && !required)
            return {};
        if (!value.isString() || (required && value.toString().isEmpty()))
            refuse(QStringLiteral("\"%1\" is missing or not a text").arg(key));
        return value.toString();
    }

    bool flag(const QJsonObject &object, const QString &key) const
    {
        const QJsonValue value = object.value(key);
        if (value.isUndefined())
            return false;
        if (!value.isBool())
            refuse(QStringLiteral("\"%1\" is not true or false").arg(key));
        return value.toBool();
    }

    SetPicture picture(const QJsonValue &value) const
    {
        if (!value.isObject())
            refuse(QStringLiteral("a picture is not an object"));
        const QJsonObject object = value.toObject();
        return {
            text(object, QStringLiteral("source")), text(object, QStringLiteral("edited"), false),
            text(object, QStringLiteral("caption")), flag(object, QStringLiteral("thumbRemade"))};
    }

private:
    QString m_path;
};

} // namespace

QString galleryRecordPath(const QString &projectFolder)
{
    return projectRecordPath(QStandardPaths::AppDataLocation, QStringLiteral("galleries"),
                             projectFolder);
}

void saveGalleryRecord(const GalleryRecord &record)
{
    const QString path = galleryRecordPath(record.projectFolder);
    if (path.isEmpty())
        return;
    QJsonArray pictures;
    for (const SetPicture &picture : record.pictures)
        pictures.append(pictureObject(picture));
    QJsonObject root{
        {QStringLiteral("format"), Format},
        {QStringLiteral("version"), kGalleryRecordVersion},
        {QStringLiteral("projectFolder"), canonicalFolder(record.projectFolder)},
        {QStringLiteral("profile"), record.profile},
        {QStringLiteral("galleryFolder"), record.galleryFolderText},
        {QStringLiteral("thumbsFolder"), record.thumbsFolderText},
        {QStringLiteral("renaming"), record.naming.renaming},
        {QStringLiteral("picturePrefix"), record.naming.picturePrefix},
        {QStringLiteral("thumbnailPrefix"), record.naming.thumbnailPrefix},
        {QStringLiteral("pictures"), pictures},
    };
    if (!record.settings.isEmpty()) {
        QJsonObject settings;
        for (auto it = record.settings.cbegin(); it != record.settings.cend(); ++it)
            settings.insert(it.key(), it.value());
        root.insert(QStringLiteral("settings"), settings);
    }
    ensureFolderPath(QFileInfo(path).path());
    writeFileAtomically(path, QJsonDocument(root).toJson());
}

std::optional<GalleryRecord> loadGalleryRecord(const QString &projectFolder)
{
    const QString path = galleryRecordPath(projectFolder);
    if (path.isEmpty())
        return std::nullopt;
    const RecordReader reader(path);
    QString why;
    const std::optional<QByteArray> bytes =
        readBoundedRegularFile(path, kMaxGalleryRecordBytes, why);
    if (!bytes && why.isEmpty())
        return std::nullopt;
    if (!bytes)
        reader.refuse(why);
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(*bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        reader.refuse(parseError.errorString());
    const QJsonObject root = document.object();
    if (root.value(QStringLiteral("format")).toString() != Format)
        reader.refuse(QStringLiteral("it is not a Pictavel gallery record"));
    const int version = root.value(QStringLiteral("version")).toInt();
    if (version != kGalleryRecordVersion)
        reader.refuse(
            QStringLiteral("its version %1 is not %2").arg(version).arg(kGalleryRecordVersion));

    GalleryRecord record;
    record.projectFolder = reader.text(root, QStringLiteral("projectFolder"));
    if (record.projectFolder != canonicalFolder(projectFolder))
        reader.refuse(QStringLiteral("it belongs to the folder %1").arg(record.projectFolder));
    record.profile = reader.text(root, QStringLiteral("profile"), false);
    record.galleryFolderText = reader.text(root, QStringLiteral("galleryFolder"), false);
    record.thumbsFolderText = reader.text(root, QStringLiteral("thumbsFolder"), false);
    record.naming = {reader.flag(root, QStringLiteral("renaming")),
                     reader.text(root, QStringLiteral("picturePrefix"), false),
                     reader.text(root, QStringLiteral("thumbnailPrefix"), false)};
    const QJsonValue settings = root.value(QStringLiteral("settings"));
    if (!settings.isUndefined() && !settings.isObject())
        reader.refuse(QStringLiteral("\"settings\" is not an object"));
    const QJsonObject settingTexts = settings.toObject();
    for (auto it = settingTexts.begin(); it != settingTexts.end(); ++it)
        record.settings.insert(it.key(), reader.text(settingTexts, it.key(), false));
    const QJsonValue pictures = root.value(QStringLiteral("pictures"));
    if (!pictures.isArray())
        reader.refuse(QStringLiteral("\"pictures\" is not a list"));
    // Two thumbnails with one caption would share their files.
    QSet<QString> captions;
    for (const QJsonValue &value : pictures.toArray()) {
        record.pictures.append(reader.picture(value));
        const QString caption = record.pictures.last().caption.toLower();
        if (captions.contains(caption))
            reader.refuse(QStringLiteral("two pictures have the caption %1")
                              .arg(record.pictures.last().caption));
        captions.insert(caption);
    }
    return record;
}

void removeGalleryRecord(const QString &projectFolder)
{
    const QString path = galleryRecordPath(projectFolder);
    if (!path.isEmpty())
        QFile::remove(path);
}

QString missingRecordedFile(const QString &source, const QString &edited)
{
    for (const QString &path : {source, edited}) {
        if (!path.isEmpty() && !QFileInfo(path).isFile())
            return path + QStringLiteral(": no such file");
    }
    return {};
}

QList<SetPicture> recordedPictures(const GalleryRecord &record, QStringList &leftOut)
{
    QList<SetPicture> pictures;
    for (const SetPicture &picture : record.pictures) {
        const QString missing = missingRecordedFile(picture.source, picture.edited);
        if (missing.isEmpty())
            pictures.append(picture);
        else
            leftOut << missing;
    }
    return pictures;
}
