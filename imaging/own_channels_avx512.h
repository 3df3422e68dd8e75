#pragma once

#include <cstddef>
#include <cstdint>

// The tables of a conversion to sRGB in which red and blue light each feed
// only their own sRGB channel (Adobe RGB, whose red and blue primaries are
// sRGB's), laid out for AVX-512 permutes: 256-entry byte tables that four
// registers hold, and the encoding of linear light as a search among the
// sums at which each sRGB level begins. Each output level is then computed
// in registers, 64 pixels at a time, with no lookups in memory.
struct alignas(64) OwnChannelTables
{
    // The low and high bytes of each input level's 16-bit share of linear
    // sRGB red (from red and from green, the latter with blue's constant
    // share) and of blue (from blue and from green, with red's constant).
    uint8_t redLow[256], redHigh[256];
    uint8_t greenRedLow[256], greenRedHigh[256];
    uint8_t blueLow[256], blueHigh[256];
    uint8_t greenBlueLow[256], greenBlueHigh[256];
    // sRGB green's level by green input: green feeds nothing else.
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
};

// Whether this processor has the AVX-512 byte and word permutes the vector
// conversion needs.
bool ownChannelVectorsSupported();

// Converts the BGRA pixels of `row` in blocks of 64, in place, keeping alpha;
// returns how many pixels it converted (width rounded down to 64). Only
// where ownChannelVectorsSupported().
size_t convertOwnChannelsAvx512(const OwnChannelTables &t, uint8_t *row, size_t width) noexcept;
