#pragma once

#include "imaging/pixel_pool.h"

#include <cstdint>
#include <vector>

// A picture stored turned or mirrored (EXIF orientation 2 to 8), kept while
// it is decoded as the planes a 4:2:0 JPEG encoder makes of the picture as
// shown: brightness (Y) at full size and both colour differences (Cb, Cr)
// at half size each way, each value computed exactly as libjpeg's colour
// converter and 2 x 2 downsampler compute it from the shown picture's BGRA
// rows, edges included. That takes 1.5 bytes a pixel instead of a shown
// BGRA picture's 4, and no whole pixels are turned: the planes are kept in
// stored order and gathered into shown rows only as the encoder takes them.
class EncoderPlanes
{
public:
    EncoderPlanes() = default;
    EncoderPlanes(const EncoderPlanes &) = delete;
    EncoderPlanes &operator=(const EncoderPlanes &) = delete;
    ~EncoderPlanes();

    // For a picture stored `width` x `height` with EXIF `orientation`; false
    // when memory cannot be had.
    bool start(int width, int height, int orientation);
    // Gives the planes' memory back to the pixel pool.
    void release();

    // Takes `count` stored rows of BGRA pixels, from row `first` on; rows
    // come in order, each once.
    void addRows(const uint32_t *rows, int first, int count);
    // Whether every stored row has come.
    bool complete() const { return m_rowsAdded == m_height; }

    int shownWidth() const { return m_shownWidth; }
    int shownHeight() const { return m_shownHeight; }

    // The encoder's rows of the shown picture from row `first` (a multiple
    // of 16) on, as libjpeg pads them to whole blocks: 16 of Y, 8 of Cb and
    // 8 of Cr, each as wide as its blocks. Valid until the next call.
    struct Rows
    {
        uint8_t *y[16];
        uint8_t *cb[8];
        uint8_t *cr[8];
    };
    const Rows &shownRows(int first);

private:
    // One way of the stored picture, as the shown picture lays it out: index
    // `t` stored is index shown(t) shown.
    struct Axis
    {
        int length = 0;
        bool flipped = false;
        int shown(int t) const { return flipped ? length - 1 - t : t; }
        int stored(int s) const { return shown(s); }
        int pairs() const { return (length + 1) / 2; }
        // The stored index beside `t` in its shown pair; `t` itself at an
        // odd length's last shown index, which libjpeg repeats.
        int partner(int t) const
        {
            const int other = shown(t) ^ 1;
            return other < length ? stored(other) : t;
        }
    };

    void addRow(const uint32_t *row, int y);
    void addRowPair(const uint8_t *cb0, const uint8_t *cr0, const uint8_t *cb1, const uint8_t *cr1,
                    int pair);
    void gatherShownRow(int shownY, uint8_t *out) const;
    void gatherShownChromaRow(int chromaY, const uint8_t *plane, const std::vector<uint16_t> &edge,
                              uint8_t *out) const;
    uint8_t *cbPlane() const;
    uint8_t *crPlane() const;

    int m_width = 0, m_height = 0;
    int m_shownWidth = 0, m_shownHeight = 0;
    bool m_transposed = false;
    // Stored rows run along shown columns when transposed, else shown rows.
    Axis m_rows, m_columns;
    int m_rowsAdded = 0;
    PixelPool::Block m_block;
    // The colour differences of a stored row waiting for the other row of
    // its shown pair, and of the row being added.
    std::vector<uint8_t> m_pendingCb, m_pendingCr, m_cb, m_cr;
    // For each shown chroma row, the two shown pixels' colour differences
    // in the last shown column added up: libjpeg repeats that column to
    // whole blocks before it downsamples.
    std::vector<uint16_t> m_edgeCb, m_edgeCr;
    int m_paddedWidth = 0, m_paddedChromaWidth = 0;
    std::vector<uint8_t> m_gathered;
    Rows m_shown{};
};
