#include "collection/picture_folder.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <cmath>
#include <dirent.h>
#include <memory>

namespace {

// The length of the UTF-8 character at the start of `bytes`, 0 when there
// is none.
qsizetype utf8CharacterLength(QByteArrayView bytes)
{
    const auto lead = uchar(bytes.front());
    const qsizetype length = lead < 0x80   ? 1
                             : lead < 0xC2 ? 0
                             : lead < 0xE0 ? 2
                             : lead < 0xF0 ? 3
                             : lead < 0xF5 ? 4
                                           : 0;
    if (length == 0 || length > bytes.size())
        return 0;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = decoder(bytes.first(length));
    return decoder.hasError() ? 0 : length;
}

// Whether a file name ends in a picture extension, without regard to case.
bool hasPictureExtension(const QString &name)
{
    for (const QLatin1StringView extension : {QLatin1StringView(".jpg"), QLatin1StringView(".jpeg"),
                                              QLatin1StringView(".bmp"), QLatin1StringView(".gif")})
        if (name.endsWith(extension, Qt::CaseInsensitive))
            return true;
    return false;
}

// The same for a name as the file system gives it; the extensions are ASCII.
bool hasPictureExtension(const QByteArray &name)
{
    return hasPictureExtension(QString::fromLatin1(name));
}

} // namespace

QStringList listPictureFiles(const QString &folder, const QLocale &locale)
{
    if (folder.isEmpty())
        return {};
    // The extensions are compared here rather than given to QDir as name
    // filters, which compile a regular expression each on every listing: a
    // millisecond of a start that finds nothing to do.
    QStringList names = QDir(folder).entryList(QDir::Files, QDir::Unsorted);
    names.removeIf([](const QString &name) { return !hasPictureExtension(name); });
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(names.begin(), names.end(), [&collator](const QString &a, const QString &b) {
        const int order = collator.compare(a, b);
        // Names equal to the collator still need one fixed order.
        return order != 0 ? order < 0 : a < b;
    });
    return names;
}

QList<QByteArray> undecodablePictureFiles(const QString &folder)
{
    QList<QByteArray> names;
    const std::unique_ptr<DIR, int (*)(DIR *)> dir(::opendir(QFile::encodeName(folder).constData()),
                                                   ::closedir);
    if (!dir)
        return names;
    while (const dirent *entry = ::readdir(dir.get())) {
        const QByteArray name(entry->d_name);
        if (hasPictureExtension(name) && QFile::encodeName(QFile::decodeName(name)) != name)
            names << name;
    }
    std::sort(names.begin(), names.end());
    return names;
}

QString shownFileName(const QByteArray &name)
{
    QString shown;
    for (qsizetype at = 0; at < name.size();) {
        const qsizetype length = utf8CharacterLength(QByteArrayView(name).sliced(at));
        if (length > 0) {
            shown += QString::fromUtf8(name.mid(at, length));
            at += length;
        } else {
            shown += QStringLiteral("\\x") +
                     QString::number(uchar(name.at(at)), 16).toUpper().rightJustified(2, u'0');
            ++at;
        }
    }
    return shown;
}

QString fileSizeText(qint64 bytes, const QLocale &locale)
{
    const double kilobytes = double(bytes) / 1024.0;
    const QString point = locale.decimalPoint();
    if (kilobytes >= 100000.0) {
        QString text = QString::number(kilobytes, 'E', 4);
        // At least one exponent digit, no zeros in front of it: 1.2346E+5.
        const qsizetype digits = text.indexOf(u'E') + 2;
        while (digits < text.size() - 1 && text.at(digits) == u'0')
            text.remove(digits, 1);
        return text.replace(u'.', point) + QStringLiteral(" KB");
    }
    // Five significant digits first, then one decimal, each half away from
    // zero; the second rounding is done on whole numbers so that no binary
    // fraction moves a half.
    const int magnitude = bytes > 0 ? int(std::floor(std::log10(kilobytes))) : 0;
    const int scale = 4 - magnitude;
    const qint64 significant = qint64(std::llround(kilobytes * std::pow(10.0, scale)));
    qint64 tenths = significant;
    if (scale > 1) {
        const qint64 divisor = qint64(std::llround(std::pow(10.0, scale - 1)));
        tenths = (significant + divisor / 2) / divisor;
    } else {
        for (int i = scale; i < 1; ++i)
            tenths *= 10;
    }
    return QString::number(tenths / 10) + point + QString::number(tenths % 10) +
           QStringLiteral(" KB");
}
