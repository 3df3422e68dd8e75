#pragma once

#include "base/pictavel_error.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

// libjpeg reports a fatal error by calling error_exit, which must not return;
// its default one ends the program. This one jumps back to `jump`, which the
// caller sets with setjmp in a short function holding only trivially
// destructible locals; that function returns false and ordinary code throws
// jpegError(). No C++ exception ever crosses a libjpeg frame.
struct JpegErrorJump
{
    jpeg_error_mgr pub; // first member: libjpeg sees only this part
    jmp_buf jump;
};

extern "C" inline void pictavelJpegErrorExit(j_common_ptr cinfo)
{
    longjmp(reinterpret_cast<JpegErrorJump *>(cinfo->err)->jump, 1);
}

// Warnings are ignored, so a truncated file shows what could be decoded, and
// nothing is printed.
extern "C" inline void pictavelJpegEmitMessage(j_common_ptr, int) {}
extern "C" inline void pictavelJpegOutputMessage(j_common_ptr) {}

// Sets up `err`; the result goes into a compress or decompress struct's `err`.
inline jpeg_error_mgr *jpegErrorJump(JpegErrorJump &err)
{
    jpeg_std_error(&err.pub);
    err.pub.error_exit = pictavelJpegErrorExit;
    err.pub.emit_message = pictavelJpegEmitMessage;
    err.pub.output_message = pictavelJpegOutputMessage;
    return &err.pub;
}

// The error libjpeg stopped on, for the user.
inline PictavelError jpegError(const JpegErrorJump &err)
{
    return PictavelError(QStringLiteral("JPEG error #%1").arg(err.pub.msg_code));
}
