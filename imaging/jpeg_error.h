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
    // libjpeg's words for the first warning, empty while there is none.
    char firstWarning[JMSG_LENGTH_MAX];
};

extern "C" inline void pictavelJpegErrorExit(j_common_ptr cinfo)
{
    longjmp(reinterpret_cast<JpegErrorJump *>(cinfo->err)->jump, 1);
}

// Warnings do not stop the decoder, so a truncated file shows what could be
// decoded; nothing is printed, but the first one is kept for the caller.
extern "C" inline void pictavelJpegEmitMessage(j_common_ptr cinfo, int level)
{
    auto *err = reinterpret_cast<JpegErrorJump *>(cinfo->err);
    if (level < 0 && err->pub.num_warnings++ == 0)
        err->pub.format_message(cinfo, err->firstWarning);
}
extern "C" inline void pictavelJpegOutputMessage(j_common_ptr) {}

// Sets up `err`; the result goes into a compress or decompress struct's `err`.
inline jpeg_error_mgr *jpegErrorJump(JpegErrorJump &err)
{
    jpeg_std_error(&err.pub);
    err.pub.error_exit = pictavelJpegErrorExit;
    err.pub.emit_message = pictavelJpegEmitMessage;
    err.pub.output_message = pictavelJpegOutputMessage;
    err.firstWarning[0] = '\0';
    return &err.pub;
}

// The error libjpeg stopped on, for the user: its code and its own words.
inline PictavelError jpegError(JpegErrorJump &err)
{
    // The message is made from the error fields alone.
    jpeg_common_struct common{};
    common.err = &err.pub;
    char words[JMSG_LENGTH_MAX] = {};
    err.pub.format_message(&common, words);
    return PictavelError(QStringLiteral("JPEG error #%1: %2")
                             .arg(err.pub.msg_code)
                             .arg(QString::fromLocal8Bit(words)));
}
