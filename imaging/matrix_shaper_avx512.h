#pragma once

#include <cstddef>
#include <cstdint>

// The tables of a matrix-shaper profile's conversion to sRGB laid out for
// AVX-512 permutes: 256-entry byte tables that four registers hold, and the
// encoding of linear light as a search among the sums at which each sRGB
// level begins. Each output level is then computed in registers, 64 pixels
// at a time.
struct alignas(64) ShaperVectorTables
{
    // The low and high bytes of each input level's 16-bit share of each
    // channel of linear sRGB, by output and input channel (red, green,
    // blue). When red and blue light each feed only their own channel
    // (`ownChannels`), sRGB red is the sum of red's and green's shares, the
    // constant share of blue being added to green's, and blue likewise; sRGB
    // green is then `green`, by green input alone.
    uint8_t shareLow[3][3][256], shareHigh[3][3][256];
    uint8_t green[256];
    // With start[k] the least sum whose level is k or more (0xFFFF when no
    // sum reaches it), a binary search finds each level. Its steps of 64 down
    // to 4 levels compare with start[8 i + step] for i the level's upper
    // five bits so far; the steps of 2 and 1, with start[4 i + 2] and
    // start[2 i + 1] for i the level's upper six and seven bits.
    alignas(64) uint16_t byStep[5][32];
    alignas(64) uint16_t byStepOf2[64];
    alignas(64) uint16_t byStepOf1[128];
    uint16_t startOfHalf;
    bool ownChannels;
};

// Whether this processor has the AVX-512 byte and word permutes the vector
// conversion needs.
bool shaperVectorsSupported();

// Converts the BGRA pixels of `row` in blocks of 64, in place, keeping alpha;
// returns how many pixels it converted (width rounded down to 64). Only
// where shaperVectorsSupported().
size_t convertShaperAvx512(const ShaperVectorTables &t, uint8_t *row, size_t width) noexcept;
