#include "base/windows1251.h"

#include <QList>

#include <array>

namespace {

// Unicode of the bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F in order.
// 0x98 has no character in the code page and stands for U+0098 both ways.
constexpr std::array<char16_t, 64> kUpperHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

// The byte of a code point, or -1 when the code page has no form for it.
int windows1251Byte(char32_t cp)
{
    if (cp < 0x80)
        return int(cp);
    if (cp >= 0x0410 && cp <= 0x044F)
        return int(cp - 0x0410 + 0xC0);
    for (size_t i = 0; i < kUpperHalf.size(); ++i) {
        if (kUpperHalf[i] == cp)
            return int(0x80 + i);
    }
    return -1;
}

char16_t unicodeOf(unsigned char byte)
{
    if (byte < 0x80)
        return byte;
    if (byte >= 0xC0)
        return char16_t(0x0410 + (byte - 0xC0));
    return kUpperHalf[byte - 0x80];
}

} // namespace

QByteArray encodeWindows1251(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (const char32_t cp : text.toUcs4()) {
        const int byte = windows1251Byte(cp);
        if (byte >= 0)
            out.append(char(byte));
        else
            out.append("&#" + QByteArray::number(uint(cp)) + ';');
    }
    return out;
}

QString decodeWindows1251(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes)
        text.append(QChar(unicodeOf(static_cast<unsigned char>(c))));

    // Undo the references that encoding made; others are the user's own text.
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'&' && i + 2 < text.size() && text.at(i + 1) == u'#') {
            const qsizetype end = text.indexOf(u';', i + 2);
            if (end > i + 2 && end - i <= 10) {
                bool ok = false;
                const uint cp = text.mid(i + 2, end - i - 2).toUInt(&ok, 10);
                if (ok && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF) &&
                    windows1251Byte(cp) < 0) {
                    const char32_t c = cp;
                    out += QString::fromUcs4(&c, 1);
                    i = end;
                    continue;
                }
            }
        }
        out += text.at(i);
    }
    return out;
}
