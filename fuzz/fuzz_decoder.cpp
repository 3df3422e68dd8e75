// One decoder fed with arbitrary bytes; built once per decoder with
// PICTAVEL_FUZZ_DECODER naming it.
#include "base/pictavel_error.h"
#include "imaging/bitmap32.h"
#include "imaging/picture_decoders.h"

#include <cstddef>
#include <cstdint>

#define loadbmpData loadBmpData
#define loadjpegData loadJpegData
#define loadgifData loadGifData

// Read by nobody; keeps the pixel walk below from being optimised away.
uint32_t g_pixelSink;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TBitmap32 bitmap;
    // Half of the inputs land on a bitmap that already holds a picture, as
    // in a control that shows one.
    if (size > 0 && (data[0] & 1))
        bitmap.setSize(7, 5);
    try {
        PICTAVEL_FUZZ_DECODER(data, size, bitmap);
    } catch (const PictavelError &) {
    }
    // Touch every pixel so that a wrong size shows up as an overflow.
    uint32_t sum = 0;
    if (!bitmap.empty())
        for (int y = 0; y < bitmap.height(); ++y)
            sum += bitmap.scanLine(y)[bitmap.width() - 1];
    g_pixelSink = sum;
    return 0;
}
