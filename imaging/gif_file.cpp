#include "base/pictavel_error.h"
#include "imaging/picture_decoders.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include <gif_lib.h>

namespace {

[[noreturn]] void gifFailure(const char *message)
{
    throw PictavelError(QString::fromLatin1(message));
}

[[noreturn]] void gifLibraryFailure(int code)
{
    switch (code) {
    case D_GIF_ERR_NOT_GIF_FILE:
        gifFailure("Invalid GIF signature");
    case D_GIF_ERR_READ_FAILED:
    case D_GIF_ERR_NO_SCRN_DSCR: // the screen descriptor could not be read
        gifFailure("Premature end of GIF data");
    case D_GIF_ERR_NOT_ENOUGH_MEM:
        gifFailure("Can't allocate the DIB handle");
    default:
        gifFailure("Invalid GIF data");
    }
}

struct MemoryReader
{
    const uint8_t *data;
    size_t size;
    size_t pos;
};

extern "C" int readFromMemory(GifFileType *gif, GifByteType *out, int length)
{
    auto *r = static_cast<MemoryReader *>(gif->UserData);
    const size_t n = std::min(size_t(std::max(length, 0)), r->size - r->pos);
    std::memcpy(out, r->data + r->pos, n);
    r->pos += n;
    return int(n);
}

class GifReader
{
public:
    GifReader(const uint8_t *data, size_t size) : m_reader{data, size, 0}
    {
        int error = 0;
        m_gif = DGifOpen(&m_reader, readFromMemory, &error);
        if (!m_gif)
            gifLibraryFailure(error);
    }
    ~GifReader()
    {
        int error = 0;
        DGifCloseFile(m_gif, &error);
    }
    GifReader(const GifReader &) = delete;
    GifReader &operator=(const GifReader &) = delete;

    GifFileType *operator->() const { return m_gif; }
    GifFileType *get() const { return m_gif; }
    void check(int result) const
    {
        if (result == GIF_ERROR)
            gifLibraryFailure(m_gif->Error);
    }

private:
    MemoryReader m_reader;
    GifFileType *m_gif = nullptr;
};

// The rows of an interlaced image arrive in four passes.
std::vector<int> rowOrder(int height, bool interlaced)
{
    std::vector<int> order;
    order.reserve(size_t(height));
    if (!interlaced) {
        for (int y = 0; y < height; ++y)
            order.push_back(y);
        return order;
    }
    static const int start[4] = {0, 4, 2, 1};
    static const int step[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = start[pass]; y < height; y += step[pass])
            order.push_back(y);
    return order;
}

struct FirstImage
{
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<uint8_t> indices;
    uint32_t palette[256];
    int transparent = -1;
};

} // namespace

void loadGifData(const uint8_t *data, size_t size, TBitmap32 &bitmap)
{
    if (size < 6 || std::memcmp(data, "GIF", 3) != 0)
        gifFailure("Invalid GIF signature");
    if (std::memcmp(data + 3, "87a", 3) != 0 && std::memcmp(data + 3, "89a", 3) != 0)
        gifFailure("Unsupported GIF version");

    GifReader gif(data, size);
    const int screenWidth = gif->SWidth;
    const int screenHeight = gif->SHeight;
    if (screenWidth <= 0 || screenHeight <= 0)
        gifFailure("Invalid GIF data");
    checkBitmapSize(screenWidth, screenHeight);

    // Only the first image is used, so reading stops there: the frames of a
    // long animation are never decoded.
    FirstImage first;
    bool haveFirst = false;
    int pendingTransparent = -1;
    while (!haveFirst) {
        GifRecordType record = UNDEFINED_RECORD_TYPE;
        gif.check(DGifGetRecordType(gif.get(), &record));
        if (record == TERMINATE_RECORD_TYPE)
            break;
        if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType *ext = nullptr;
            gif.check(DGifGetExtension(gif.get(), &code, &ext));
            if (code == GRAPHICS_EXT_FUNC_CODE && ext && ext[0] >= 4) {
                GraphicsControlBlock gcb;
                if (DGifExtensionToGCB(ext[0], ext + 1, &gcb) == GIF_OK)
                    pendingTransparent = gcb.TransparentColor;
            }
            while (ext)
                gif.check(DGifGetExtensionNext(gif.get(), &ext));
            continue;
        }
        if (record != IMAGE_DESC_RECORD_TYPE)
            gifFailure("Invalid GIF data");

        gif.check(DGifGetImageDesc(gif.get()));
        const GifImageDesc &desc = gif->Image;
        if (desc.Width <= 0 || desc.Height <= 0 || desc.Left < 0 || desc.Top < 0 ||
            !bitmapSizeAllowed(desc.Width, desc.Height))
            gifFailure("Invalid GIF data");
        const std::vector<int> order = rowOrder(desc.Height, desc.Interlace);
        if (int64_t(desc.Left) + desc.Width > screenWidth ||
            int64_t(desc.Top) + desc.Height > screenHeight)
            gifFailure("GIF image is outside the logical screen");
        first.left = desc.Left;
        first.top = desc.Top;
        first.width = desc.Width;
        first.height = desc.Height;
        first.transparent = pendingTransparent;
        const ColorMapObject *map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
        // Indices without a colour are black; a file without any colour
        // table is shown in grey levels.
        for (int i = 0; i < 256; ++i) {
            if (!map)
                first.palette[i] = 0xFF000000u | uint32_t(i) * 0x010101u;
            else if (i < map->ColorCount)
                first.palette[i] = 0xFF000000u | uint32_t(map->Colors[i].Red) << 16 |
                                   uint32_t(map->Colors[i].Green) << 8 | map->Colors[i].Blue;
            else
                first.palette[i] = 0xFF000000u;
        }
        first.indices.resize(size_t(desc.Width) * size_t(desc.Height));
        for (int i = 0; i < desc.Height; ++i)
            gif.check(DGifGetLine(
                gif.get(), first.indices.data() + size_t(order[size_t(i)]) * size_t(desc.Width),
                desc.Width));
        haveFirst = true;
    }

    // A screen with nothing drawn on it is no picture.
    if (!haveFirst)
        gifFailure("GIF file holds no image");

    // Whatever the bitmap held before, the screen starts black: a picture
    // must not show another one through its transparent pixels, and the same
    // file must give the same pixels in whichever bitmap it is loaded.
    bitmap.setSizeForOverwrite(screenWidth, screenHeight);
    std::fill_n(bitmap.bits(), size_t(screenWidth) * size_t(screenHeight), TColor32(0));
    for (int y = 0; y < first.height; ++y) {
        const uint8_t *src = first.indices.data() + size_t(y) * size_t(first.width);
        TColor32 *out = bitmap.scanLine(first.top + y) + first.left;
        for (int x = 0; x < first.width; ++x)
            if (src[x] != first.transparent)
                out[x] = first.palette[src[x]];
    }
    bitmap.makeOpaque();
    bitmap.notifyChanged();
}
