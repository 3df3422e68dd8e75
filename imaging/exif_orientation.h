#pragma once

#include <cstddef>
#include <cstdint>

// The orientation tag (0x0112) of an APP1 "Exif" segment: 1 to 8, or 1 when
// the segment has none or cannot be read. `data` is the segment's content
// after the marker's length field.
int exifOrientation(const uint8_t *data, size_t size);
