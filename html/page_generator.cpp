#include "html/page_generator.h"

#include <algorithm>
#include <cmath>
#include <limits>

qint64 spinEditNumber(const SpinEditText &spin)
{
    const QString text = spin.text.trimmed();
    bool ok = false;
    const qint64 whole = text.toLongLong(&ok);
    if (ok)
        return whole;
    const double number = text.toDouble(&ok);
    if (!ok || !std::isfinite(number))
        return spin.minimum;
    // Digits typed past the range of a 64-bit integer are held at its ends
    // rather than converted out of range.
    constexpr double limit = 9.0e18;
    return static_cast<qint64>(std::trunc(std::clamp(number, -limit, limit)));
}

QString alignmentWord(int alignIndex)
{
    switch (alignIndex) {
    case 0:
        return QStringLiteral("left");
    case 1:
        return QStringLiteral("center");
    case 2:
        return QStringLiteral("right");
    default:
        return QString();
    }
}

QString escapeAddressFileName(const QString &fileName)
{
    QString escaped;
    escaped.reserve(fileName.size());
    for (qsizetype i = 0; i < fileName.size(); ++i) {
        const char16_t u = fileName.at(i).unicode();
        const bool endBlank = u == u' ' && (i == 0 || i == fileName.size() - 1);
        const bool special = u < 0x20 || u == 0x7F || u == u'"' || u == u'<' || u == u'>' ||
                             u == u'&' || u == u'%' || u == u'#' || u == u'?' || u == u'\\' ||
                             endBlank;
        if (special)
            escaped += u'%' + QString::number(u, 16).toUpper().rightJustified(2, u'0');
        else
            escaped += fileName.at(i);
    }
    return escaped;
}

QString addressFolderPrefix(const QString &relativeFolder)
{
    QString prefix;
    QString folder = relativeFolder;
    folder.replace(u'\\', u'/');
    for (const QString &name : folder.split(u'/', Qt::SkipEmptyParts)) {
        if (name != QLatin1String("."))
            prefix += escapeAddressFileName(name) + u'/';
    }
    return prefix;
}

namespace {

// Every part is joined, never used as a format, so a "%" typed into a
// setting reaches the page unchanged.
QString attribute(const char *name, const QString &value)
{
    return QLatin1String(name) + QStringLiteral("=\"") + value + u'"';
}

QString attribute(const char *name, const SpinEditText &spin)
{
    return attribute(name, QString::number(spinEditNumber(spin)));
}

QString bodyLine(const PageSettings &s)
{
    return QStringLiteral("<body ") + attribute("bgcolor", s.bgColorPage) + u' ' +
           attribute("text", s.textColorPage) + u' ' + attribute("leftmargin", s.leftMargin) +
           u' ' + attribute("topmargin", s.topMargin) + u'>';
}

QString headerLine(const PageSettings &s, const QString &align)
{
    QString opening;
    QString closing;
    if (s.bold) {
        opening += QStringLiteral("<b>");
        closing.prepend(QStringLiteral("</b>"));
    }
    if (s.italic) {
        opening += QStringLiteral("<i>");
        closing.prepend(QStringLiteral("</i>"));
    }
    if (s.underline) {
        opening += QStringLiteral("<u>");
        closing.prepend(QStringLiteral("</u>"));
    }
    return QStringLiteral("<div ") + attribute("align", align) + QStringLiteral("> <font ") +
           attribute("face", s.fontHeader) + u' ' + attribute("size", s.fontSize) + u' ' +
           attribute("color", s.colorFont) + u'>' + opening + s.header + closing +
           QStringLiteral("</font></div>");
}

QString tableLine(const PageSettings &s, const QString &align)
{
    return QStringLiteral("<table ") + attribute("align", align) + u' ' +
           attribute("border", s.border) + u' ' + attribute("cellpadding", s.cellPad) + u' ' +
           attribute("cellspacing", s.cellSpac) + u' ' + attribute("bgcolor", s.bgColor) + u' ' +
           attribute("bordercolor", s.bordColor) + u' ' +
           attribute("bordercolordark", s.bordColorD) + u' ' +
           attribute("bordercolorlight", s.bordColorL) + u'>';
}

QString cellLine(const PageSettings &s, const ThumbOutputNames &thumb)
{
    return QStringLiteral("        <td align=\"center\" valign=\"bottom\"><a ") +
           attribute("href", s.href + escapeAddressFileName(thumb.pictureName)) + u' ' +
           attribute("target", s.target) + QStringLiteral("><img ") +
           attribute("src", s.src + escapeAddressFileName(thumb.thumbName)) + u' ' +
           attribute("border", s.borderImg) + QStringLiteral("></a></td>");
}

// Rows of columnCount cells; a last row that is not full ends early, and a
// count of 0 puts every cell into one row.
void appendRows(QStringList &page, const PageSettings &s, const QList<ThumbOutputNames> &thumbs)
{
    const qint64 columns = s.columnCount;
    const qint64 count = thumbs.size();
    qint64 rows = 0;
    for (qint64 p = 1; p <= count; ++p) {
        if (p - 1 == columns * rows) {
            page << QStringLiteral("    <tr>");
            ++rows;
        }
        page << cellLine(s, thumbs[p - 1]);
        if (columns * rows == p)
            page << QStringLiteral("    </tr>");
    }
    if (columns * rows != count)
        page << QStringLiteral("    </tr>");
}

} // namespace

QStringList generatePage(const PageSettings &settings, const QList<ThumbOutputNames> &thumbs)
{
    const QString align = alignmentWord(settings.alignIndex);
    QStringList page;
    page << QStringLiteral("<html>") << QString() << QStringLiteral("<head>")
         << QStringLiteral("<title>") + settings.title + QStringLiteral("</title>")
         << QStringLiteral(
                "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">")
         << QStringLiteral("</head>") << QString() << bodyLine(settings) << QString();
    if (!settings.header.isEmpty())
        page << headerLine(settings, align) << QString();
    if (!thumbs.isEmpty()) {
        page << tableLine(settings, align);
        appendRows(page, settings, thumbs);
        page << QStringLiteral("</table>") << QString();
    }
    page << QStringLiteral("</body>") << QStringLiteral("</html>");
    return page;
}
