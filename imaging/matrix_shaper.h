#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

struct ShaperVectorTables;

// The conversion of an RGB matrix-shaper profile's numbers (per-channel tone
// curves, then a 3 x 3 matrix to the profile connection space) to sRGB,
// computed from tables instead of by lcms's general pipeline: several times
// faster, which is what makes tagged photographs load nearly as fast as
// untagged ones. The tables come from the profile's own curves and
// colorants as lcms reads them.
class MatrixShaperToSrgb
{
public:
    // Null unless `profile` (an lcms profile handle) is an RGB matrix-shaper
    // profile whose perceptual intent is its matrix.
    static std::unique_ptr<MatrixShaperToSrgb> make(void *profile);
    ~MatrixShaperToSrgb();

    // Converts `width` BGRA pixels in place; alpha is kept.
    void convertRow(uint8_t *row, size_t width) const noexcept;
    // The same through the sums of shares alone, which the faster ways of
    // convertRow() match byte for byte (tests).
    void convertRowBySums(uint8_t *row, size_t width) const noexcept;

    // Linear light is carried in this many steps from black to white.
    static constexpr int kSteps = 16383;

private:
    MatrixShaperToSrgb() = default;

    // For each input channel (R, G, B) and level: its shares of the linear
    // sRGB R, G and B (scaled to kSteps, rounded), each raised by a bias that
    // keeps it positive, packed 16 bits apart, so that one 64-bit addition
    // sums all three without a carry from one into the next.
    std::array<std::array<uint64_t, 256>, 3> m_packed{};
    // sRGB's 8-bit level for each packed sum: the level of its linear light
    // (the sum less the biases, clamped to 0 ... kSteps).
    std::vector<uint8_t> m_encode;
    // When red and blue light each feed only their own sRGB channel (as with
    // Adobe RGB, whose red and blue primaries are sRGB's), every output level
    // is a function of two adjacent bytes of the BGRA word, so two lookups
    // give a pixel: sRGB green and red (low and high byte) by the word's
    // green and red bytes, sRGB blue by its blue and green bytes. Empty for
    // other profiles. They hold the same levels as the sums, only sooner.
    std::vector<uint16_t> m_greenRedByGreenRed;
    std::vector<uint8_t> m_blueByBlueGreen;
    // The same conversion in vector registers, on processors that have the
    // permutes it needs; rows are converted by it in blocks of 64 pixels,
    // the rest by the tables above.
    std::unique_ptr<ShaperVectorTables> m_vectorTables;

    void makePairTables();
    void makeVectorTables(bool ownChannels);
    void convertRowByPairs(uint8_t *row, size_t width) const noexcept;
};
