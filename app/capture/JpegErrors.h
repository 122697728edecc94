#pragma once
// libjpeg's error handling for one decode: an error ends the decode (longjmp
// back to the caller's setjmp), a warning is noted and the decode goes on;
// nothing is printed. Install with Attach before jpeg_create_decompress.
//
// Threads: one object per decode, on the decoding thread.

#include <csetjmp>
#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>

namespace kelvara::capture {

struct JpegErrors
{
    jpeg_error_mgr manager;
    std::jmp_buf exit;
    bool truncated = false;  // the stream ended before the picture did

    void Attach(jpeg_decompress_struct* info)
    {
        info->err = jpeg_std_error(&manager);
        manager.error_exit = &JpegErrors::Exit;
        manager.emit_message = &JpegErrors::Emit;
        manager.output_message = &JpegErrors::Output;
    }
    static void Exit(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->exit, 1); }
    static void Emit(j_common_ptr info, int level)
    {
        if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF)
            reinterpret_cast<JpegErrors*>(info->err)->truncated = true;
    }
    static void Output(j_common_ptr) { }
};

}  // namespace kelvara::capture
