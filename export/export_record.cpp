#include "export/export_record.h"

#include "base/atomic_file.h"
#include "base/bounded_read.h"
#include "base/paths.h"
#include "base/same_file.h"
#include "imaging/bitmap32.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

#include <unistd.h>

namespace {

const QString Format = QStringLiteral("pictavel-export");
constexpr int kExportRecordVersion = 1;

QString canonicalFolder(const QString &folder)
{
    return QFileInfo(folder).canonicalFilePath();
}

// A stored number: JSON numbers are doubles, so the 64-bit ones go as text.
QString number(qint64 value)
{
    return QString::number(value);
}

} // namespace

QByteArray sourceInputs(const QString &path)
{
    const std::optional<StatStamp> stamp = statStamp(path);
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (!stamp || canonical.isEmpty())
        return {};
    return QStringLiteral("source=%1 size=%2 inode=%3 mtime=%4 ctime=%5")
        .arg(canonical, number(stamp->size), QString::number(stamp->inode), number(stamp->mtimeNs),
             number(stamp->ctimeNs))
        .toUtf8();
}

QByteArray pixelsHash(const TBitmap32 &pixels)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    const qint32 size[2] = {pixels.width(), pixels.height()};
    hash.addData(QByteArrayView(reinterpret_cast<const char *>(size), sizeof size));
    // The rows lie one after the other.
    hash.addData(
        QByteArrayView(reinterpret_cast<const char *>(pixels.bits()),
                       qsizetype(pixels.width()) * pixels.height() * qsizetype(sizeof(TColor32))));
    return hash.result().toHex();
}

QString exportRecordPath(const QString &projectFolder)
{
    return projectRecordPath(QStandardPaths::CacheLocation, QStringLiteral("exports"),
                             projectFolder);
}

ExportRecord::ExportRecord(const QString &projectFolder)
    : m_folder(QDir::cleanPath(QFileInfo(projectFolder).absoluteFilePath())),
      m_canonicalFolder(canonicalFolder(projectFolder)), m_file(exportRecordPath(projectFolder))
{
}

ExportRecord::ExportRecord(ExportRecord &&other) noexcept
    : m_folder(std::move(other.m_folder)), m_canonicalFolder(std::move(other.m_canonicalFolder)),
      m_file(std::move(other.m_file)), m_entries(std::move(other.m_entries)),
      m_sources(std::move(other.m_sources)), m_sourceWarnings(std::move(other.m_sourceWarnings)),
      m_changed(other.m_changed)
{
}

ExportRecord ExportRecord::empty(const QString &projectFolder)
{
    return ExportRecord(projectFolder);
}

ExportRecord ExportRecord::load(const QString &projectFolder, QString *problem)
{
    ExportRecord record(projectFolder);
    if (record.m_file.isEmpty())
        return record;
    QString why;
    const std::optional<QByteArray> bytes =
        readBoundedRegularFile(record.m_file, kMaxExportRecordBytes, why);
    if (!bytes) {
        if (problem && !why.isEmpty())
            *problem = QStringLiteral("the export record %1 cannot be used (%2): every file is "
                                      "written")
                           .arg(record.m_file, why);
        return record;
    }
    const QJsonDocument document = QJsonDocument::fromJson(*bytes);
    const QJsonObject root = document.object();
    if (root.value(QStringLiteral("format")).toString() != Format ||
        root.value(QStringLiteral("version")).toInt() != kExportRecordVersion ||
        root.value(QStringLiteral("projectFolder")).toString() != record.m_canonicalFolder)
        return record;
    const QJsonObject files = root.value(QStringLiteral("files")).toObject();
    bool dropped = false;
    for (auto it = files.begin(); it != files.end(); ++it) {
        const QJsonObject object = it.value().toObject();
        bool ok[4] = {false, false, false, false};
        Entry entry;
        entry.inputs = object.value(QStringLiteral("inputs")).toString().toUtf8();
        entry.source = object.value(QStringLiteral("source")).toString().toUtf8();
        entry.output.size = object.value(QStringLiteral("size")).toString().toLongLong(&ok[0]);
        entry.output.inode = object.value(QStringLiteral("inode")).toString().toULongLong(&ok[1]);
        entry.output.mtimeNs =
            object.value(QStringLiteral("mtimeNs")).toString().toLongLong(&ok[2]);
        entry.output.ctimeNs =
            object.value(QStringLiteral("ctimeNs")).toString().toLongLong(&ok[3]);
        // A damaged entry is dropped: its file is written again.
        if (!ok[0] || !ok[1] || !ok[2] || !ok[3] || entry.inputs.isEmpty()) {
            dropped = true;
            continue;
        }
        entry.warning = object.value(QStringLiteral("warning")).toString();
        record.remember(entry);
        record.m_entries.insert(it.key(), entry);
    }
    record.m_changed = dropped;
    return record;
}

QString ExportRecord::key(const QString &path) const
{
    return QDir(m_folder).relativeFilePath(QFileInfo(path).absoluteFilePath());
}

bool ExportRecord::upToDate(const QString &path, const QByteArray &inputs) const
{
    if (inputs.isEmpty())
        return false;
    const std::optional<StatStamp> now = statStamp(path);
    if (!now)
        return false;
    const std::lock_guard lock(m_mutex);
    const auto it = m_entries.constFind(key(path));
    if (it == m_entries.constEnd() || it->inputs != inputs)
        return false;
    // The status-change time too: a write in place with the time set back
    // keeps the inode, the size and the modification time.
    return it->output == *now;
}

bool ExportRecord::knowsSource(const QByteArray &sourceInputs) const
{
    const std::lock_guard lock(m_mutex);
    return !sourceInputs.isEmpty() && m_sources.contains(sourceInputs);
}

void ExportRecord::forget(const QString &path)
{
    const std::lock_guard lock(m_mutex);
    m_entries.remove(key(path));
    m_changed = true;
}

void ExportRecord::remember(const Entry &entry)
{
    if (entry.source.isEmpty())
        return;
    m_sources.insert(entry.source);
    if (!entry.warning.isEmpty())
        m_sourceWarnings.insert(entry.source, entry.warning);
}

QString ExportRecord::sourceWarning(const QByteArray &sourceInputs) const
{
    const std::lock_guard lock(m_mutex);
    return m_sourceWarnings.value(sourceInputs);
}

void ExportRecord::wrote(const QString &path, const QByteArray &inputs,
                         const std::optional<StatStamp> &written, const QByteArray &source,
                         const QString &warning)
{
    const std::lock_guard lock(m_mutex);
    m_changed = true;
    if (!written || inputs.isEmpty()) {
        m_entries.remove(key(path));
        return;
    }
    const Entry entry{inputs, source, *written, warning};
    remember(entry);
    m_entries.insert(key(path), entry);
}

void ExportRecord::prune(const QSet<QString> &current, const QStringList &folders,
                         const SourceFiles &sources)
{
    QSet<QString> prunedFolders;
    for (const QString &folder : folders)
        prunedFolders.insert(QDir::cleanPath(folder));
    const std::lock_guard lock(m_mutex);
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        const QString path = QDir::cleanPath(joinPath(m_folder, it.key()));
        if (current.contains(path)) {
            ++it;
            continue;
        }
        if (prunedFolders.contains(QFileInfo(path).path()) && statStamp(path) == it->output &&
            sources.sourceAt(path).isEmpty())
            ::unlink(QFile::encodeName(path).constData());
        it = m_entries.erase(it);
        m_changed = true;
    }
}

QString ExportRecord::save() const
{
    if (m_file.isEmpty())
        return {};
    QJsonObject files;
    {
        const std::lock_guard lock(m_mutex);
        if (!m_changed)
            return {};
        for (auto it = m_entries.cbegin(); it != m_entries.cend(); ++it) {
            QJsonObject object{{QStringLiteral("inputs"), QString::fromUtf8(it->inputs)},
                               {QStringLiteral("size"), number(it->output.size)},
                               {QStringLiteral("inode"), QString::number(it->output.inode)},
                               {QStringLiteral("mtimeNs"), number(it->output.mtimeNs)},
                               {QStringLiteral("ctimeNs"), number(it->output.ctimeNs)}};
            if (!it->source.isEmpty())
                object.insert(QStringLiteral("source"), QString::fromUtf8(it->source));
            if (!it->warning.isEmpty())
                object.insert(QStringLiteral("warning"), it->warning);
            files.insert(it.key(), object);
        }
    }
    const QJsonObject root{{QStringLiteral("format"), Format},
                           {QStringLiteral("version"), kExportRecordVersion},
                           {QStringLiteral("projectFolder"), m_canonicalFolder},
                           {QStringLiteral("files"), files}};
    try {
        ensureFolderPath(QFileInfo(m_file).path());
        writeFileAtomically(m_file, QJsonDocument(root).toJson(QJsonDocument::Compact));
    } catch (const PictavelError &error) {
        return QStringLiteral("the export record cannot be written: %1").arg(error.message());
    }
    return {};
}
