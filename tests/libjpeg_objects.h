#pragma once

// libjpeg's structs and the C file they write, for tests and benchmarks that
// read and write JPEG files directly; errors jump to err.jump.

#include "imaging/jpeg_error.h"

#include <cstdio>
#include <memory>

struct FileCloser
{
    void operator()(FILE *f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

// A compressor destroyed with its owner.
class Compressor
{
public:
    Compressor() { c.err = jpegErrorJump(err); }
    ~Compressor() { jpeg_destroy_compress(&c); }
    Compressor(const Compressor &) = delete;
    Compressor &operator=(const Compressor &) = delete;

    jpeg_compress_struct c{};
    JpegErrorJump err{};
};

// A decompressor destroyed with its owner.
class Decompressor
{
public:
    Decompressor() { d.err = jpegErrorJump(err); }
    ~Decompressor() { jpeg_destroy_decompress(&d); }
    Decompressor(const Decompressor &) = delete;
    Decompressor &operator=(const Decompressor &) = delete;

    jpeg_decompress_struct d{};
    JpegErrorJump err{};
};
