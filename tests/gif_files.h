#pragma once

#include <QFile>
#include <QString>

#include <gif_lib.h>
#include <vector>

// A GIF of four colours whose left half is index 0, the transparent one: a
// decoder that draws it over an earlier picture would show through there.
inline bool writeHalfTransparentGif(const QString &path, int width, int height)
{
    int error = 0;
    GifFileType *gif = EGifOpenFileName(QFile::encodeName(path).constData(), false, &error);
    if (!gif)
        return false;
    GifColorType colours[4] = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    ColorMapObject *map = GifMakeMapObject(4, colours);
    bool ok = EGifPutScreenDesc(gif, width, height, 2, 0, map) == GIF_OK;
    GraphicsControlBlock gcb{};
    gcb.TransparentColor = 0;
    GifByteType ext[4];
    EGifGCBToExtension(&gcb, ext);
    ok = ok && EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, ext) == GIF_OK;
    ok = ok && EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) == GIF_OK;
    std::vector<GifPixelType> row(static_cast<size_t>(width));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            row[size_t(x)] = GifPixelType(x < width / 2 ? 0 : 1 + (x + y) % 3);
        ok = ok && EGifPutLine(gif, row.data(), width) == GIF_OK;
    }
    GifFreeMapObject(map);
    return EGifCloseFile(gif, &error) == GIF_OK && ok;
}
