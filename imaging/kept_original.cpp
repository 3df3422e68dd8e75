#include "imaging/kept_original.h"

#include "base/atomic_file.h"
#include "imaging/exif_orientation.h"
#include "imaging/picture_decoders.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include <turbojpeg.h>

namespace {

constexpr uint8_t kSoi = 0xD8;
constexpr uint8_t kEoi = 0xD9;
constexpr uint8_t kSos = 0xDA;
constexpr uint8_t kApp0 = 0xE0;
constexpr uint8_t kApp1 = 0xE1;
constexpr uint8_t kApp2 = 0xE2;
constexpr uint8_t kApp14 = 0xEE;
constexpr uint8_t kCom = 0xFE;

bool startsWith(const uint8_t *data, size_t size, const char *tag, size_t tagSize)
{
    return size >= tagSize && std::equal(tag, tag + tagSize, data);
}

// Pieces of a file in their order, neighbours joined.
class Pieces
{
public:
    void append(const char *data, size_t size)
    {
        if (!m_views.empty() && m_views.back().data() + m_views.back().size() == data)
            m_views.back() = QByteArrayView(m_views.back().data(), m_views.back().size() + size);
        else
            m_views.emplace_back(data, qsizetype(size));
    }
    const std::vector<QByteArrayView> &views() const { return m_views; }
    QByteArray joined() const
    {
        QByteArray bytes;
        for (const QByteArrayView view : m_views)
            bytes += view;
        return bytes;
    }

private:
    std::vector<QByteArrayView> m_views;
};

// The markers of a JPEG file, read up to its first end of picture.
struct MarkerWalk
{
    // The file with every metadata marker left out and nothing after its end,
    // as pieces of the file.
    Pieces kept;
    // The colour profile's markers, whole, in their order, when kept.
    Pieces profile;
    int orientation = 1;
    // Whether the file holds profile markers, kept or not.
    bool hasProfile = false;
    bool complete = false;
};

// What the walk does with a marker: the ones that decode the picture are
// kept, metadata is dropped, markers without a length are stepped over, and
// anything else (which libjpeg would refuse as well) means that the file is
// not followed.
enum class MarkerUse { Keep, Drop, Step, Unknown };

MarkerUse markerUse(uint8_t marker)
{
    switch (marker) {
    case 0xC0: // baseline, extended, progressive and arithmetic frames
    case 0xC1:
    case 0xC2:
    case 0xC9:
    case 0xCA:
    case 0xC4: // Huffman tables
    case 0xCC: // arithmetic conditioning
    case kSos:
    case 0xDB: // quantisation tables
    case 0xDC: // number of lines
    case 0xDD: // restart interval
        return MarkerUse::Keep;
    case 0x01: // TEM
    case 0xD0:
    case 0xD1:
    case 0xD2:
    case 0xD3:
    case 0xD4:
    case 0xD5:
    case 0xD6:
    case 0xD7: // restarts outside a scan
        return MarkerUse::Step;
    case kCom:
        return MarkerUse::Drop;
    default:
        return marker >= kApp0 && marker <= 0xEF ? MarkerUse::Drop : MarkerUse::Unknown;
    }
}

// Which application markers a published original keeps: the JFIF and Adobe
// ones that say how its colours are stored, and its colour profile when it
// is kept. APP0 "JFXX" holds a preview and goes.
bool keepsApplicationMarker(uint8_t marker, const uint8_t *payload, size_t size, bool keepProfile)
{
    if (marker == kApp0)
        return startsWith(payload, size, "JFIF\0", 5);
    if (marker == kApp2)
        return keepProfile && startsWith(payload, size, "ICC_PROFILE\0", 12);
    if (marker == kApp14)
        return startsWith(payload, size, "Adobe", 5);
    return false;
}

bool isProfileMarker(uint8_t marker, const uint8_t *payload, size_t size)
{
    return marker == kApp2 && startsWith(payload, size, "ICC_PROFILE\0", 12);
}

MarkerWalk walkMarkers(QByteArrayView file, bool keepProfile)
{
    MarkerWalk walk;
    const auto *data = reinterpret_cast<const uint8_t *>(file.data());
    const size_t size = size_t(file.size());
    if (size < 4 || data[0] != 0xFF || data[1] != kSoi)
        return walk;
    walk.kept.append(file.data(), 2);
    size_t at = 2;
    while (at + 1 < size) {
        if (data[at] != 0xFF)
            return walk;
        const uint8_t marker = data[at + 1];
        if (marker == 0xFF) {
            ++at; // fill byte
            continue;
        }
        if (marker == kEoi) {
            walk.kept.append(file.data() + at, 2);
            walk.complete = true;
            return walk;
        }
        const MarkerUse use = markerUse(marker);
        if (use == MarkerUse::Unknown)
            return walk;
        if (use == MarkerUse::Step) {
            at += 2;
            continue;
        }
        if (at + 4 > size)
            return walk;
        const size_t length = size_t(data[at + 2]) << 8 | data[at + 3];
        if (length < 2 || at + 2 + length > size)
            return walk;
        const uint8_t *payload = data + at + 4;
        const size_t payloadSize = length - 2;
        size_t end = at + 2 + length;
        if (marker == kApp1 && startsWith(payload, payloadSize, "Exif\0\0", 6) &&
            walk.orientation == 1)
            walk.orientation = exifOrientation(payload, payloadSize);
        if (marker == kSos) {
            // The entropy-coded data runs to the next marker that is neither
            // a stuffed 0xFF nor a restart; memchr finds each 0xFF many bytes
            // at a time.
            while (true) {
                if (end + 1 >= size)
                    return walk;
                const auto *ff =
                    static_cast<const uint8_t *>(std::memchr(data + end, 0xFF, size - 1 - end));
                if (!ff)
                    return walk;
                end = size_t(ff - data);
                const uint8_t next = data[end + 1];
                if (next != 0x00 && !(next >= 0xD0 && next <= 0xD7))
                    break;
                ++end;
            }
        }
        if (isProfileMarker(marker, payload, payloadSize))
            walk.hasProfile = true;
        if (use == MarkerUse::Keep ||
            keepsApplicationMarker(marker, payload, payloadSize, keepProfile)) {
            walk.kept.append(file.data() + at, end - at);
            if (marker == kApp2)
                walk.profile.append(file.data() + at, end - at);
        }
        at = end;
    }
    return walk;
}

int transformOf(int orientation)
{
    switch (orientation) {
    case 2:
        return TJXOP_HFLIP;
    case 3:
        return TJXOP_ROT180;
    case 4:
        return TJXOP_VFLIP;
    case 5:
        return TJXOP_TRANSPOSE;
    case 6:
        return TJXOP_ROT90;
    case 7:
        return TJXOP_TRANSVERSE;
    case 8:
        return TJXOP_ROT270;
    default:
        return TJXOP_NONE;
    }
}

struct TransformerCloser
{
    void operator()(void *handle) const { tjDestroy(handle); }
};
struct TurboBufferFree
{
    void operator()(unsigned char *buffer) const { tjFree(buffer); }
};

// The picture turned by libjpeg-turbo without decoding, with no markers of
// its own but those the encoder writes; empty when the turn is not exact.
QByteArray turned(QByteArrayView file, int orientation)
{
    const std::unique_ptr<void, TransformerCloser> handle(tjInitTransform());
    if (!handle)
        return {};
    tjtransform transform{};
    transform.op = transformOf(orientation);
    transform.options = TJXOPT_PERFECT | TJXOPT_COPYNONE;
    unsigned char *out = nullptr;
    unsigned long outSize = 0;
    const int result =
        tjTransform(handle.get(), reinterpret_cast<const unsigned char *>(file.data()),
                    static_cast<unsigned long>(file.size()), 1, &out, &outSize, &transform, 0);
    const std::unique_ptr<unsigned char, TurboBufferFree> owned(out);
    if (result != 0 || !out)
        return {};
    return QByteArray(reinterpret_cast<const char *>(out), qsizetype(outSize));
}

// `profile`'s markers put after the leading APP0 and APP14 markers of `jpeg`.
QByteArray withProfile(const QByteArray &jpeg, const QByteArray &profile)
{
    const auto *data = reinterpret_cast<const uint8_t *>(jpeg.constData());
    qsizetype at = 2;
    while (at + 4 <= jpeg.size() && data[at] == 0xFF &&
           (data[at + 1] == kApp0 || data[at + 1] == kApp14))
        at += 2 + (qsizetype(data[at + 2]) << 8 | data[at + 3]);
    return jpeg.left(at) + profile + jpeg.mid(at);
}

} // namespace

KeptOriginal keptOriginal(QByteArrayView source)
{
    MarkerWalk walk = walkMarkers(source, true);
    if (!walk.complete)
        return {{},
                {},
                QStringLiteral("its markers cannot all be accounted for, so it was encoded "
                               "anew instead of published as it is")};
    // A profile the decoder turned down is not the one the thumbnails and
    // pictures were converted with, and may be anything.
    if (walk.hasProfile &&
        !jpegProfileInUse(reinterpret_cast<const uint8_t *>(source.data()), size_t(source.size())))
        walk = walkMarkers(source, false);
    if (walk.orientation == 1)
        return {walk.kept.views(), {}, {}};
    const QByteArray upright = turned(source, walk.orientation);
    if (upright.isEmpty())
        return {};
    const MarkerWalk clean = walkMarkers(upright, false);
    if (!clean.complete)
        return {};
    KeptOriginal kept;
    kept.made = withProfile(clean.kept.joined(), walk.profile.joined());
    kept.pieces = {QByteArrayView(kept.made)};
    return kept;
}

bool WriteKeptOriginal(QByteArrayView source, const QString &path, QString &warning,
                       AtomicBatch *batch)
{
    const KeptOriginal kept = keptOriginal(source);
    warning = kept.warning;
    if (kept.pieces.empty())
        return false;
    AtomicFile file(path, batch);
    if (!file.open())
        throw file.error();
    for (const QByteArrayView piece : kept.pieces)
        if (!file.write(piece.data(), size_t(piece.size())))
            throw file.error();
    if (!file.commit())
        throw file.error();
    return true;
}
