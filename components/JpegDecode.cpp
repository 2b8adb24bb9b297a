// JPEG pictures decoded through libjpeg into plain RGB pixels, with libjpeg's failures raised as exceptions.
#include "components/JpegDecode.h"

#include <csetjmp>
#include <cstdio>
#include <string>

#include <jpeglib.h>

#include "platform/core/Exception.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kCorruptDataText = 61094;
constexpr size_t kMaxBitmapBytes = size_t{256} << 20;

// libjpeg ends a failing call through error_exit, which must not return: it jumps back to the decoder,
// whose frame holds nothing that needs destroying between the jump's two ends.
struct TJpegErrors {
    jpeg_error_mgr Manager;
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
    bool TooLarge;
};

extern "C" void jpegErrorExit(j_common_ptr info)
{
    auto* errors = reinterpret_cast<TJpegErrors*>(info->err);
    (*info->err->format_message)(info, errors->Message);
    std::longjmp(errors->Jump, 1);
}

// Warnings are counted by libjpeg and read afterwards; nothing goes to stderr.
extern "C" void jpegOutputMessage(j_common_ptr) {}

bool decode(jpeg_decompress_struct& info, TJpegErrors& errors, const uint8_t* data, size_t size, TRgbImage& image)
{
    if (setjmp(errors.Jump))
        return false;
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_calc_output_dimensions(&info);
    size_t stride = (static_cast<size_t>(info.output_width) * 3 + 3) / 4 * 4;
    if (info.output_width == 0 || info.output_height == 0 ||
        stride * static_cast<size_t>(info.output_height) > kMaxBitmapBytes) {
        errors.TooLarge = true;
        return false;
    }
    jpeg_start_decompress(&info);
    image = TRgbImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height));
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = &image.Pixels[static_cast<size_t>(info.output_scanline) * info.output_width * 3];
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    return true;
}

} // namespace

TJpegPicture DecodeJpeg(const uint8_t* data, size_t size)
{
    static const uint8_t kNothing = 0;
    TJpegPicture picture;
    jpeg_decompress_struct info{};
    TJpegErrors errors{};
    info.err = jpeg_std_error(&errors.Manager);
    errors.Manager.error_exit = jpegErrorExit;
    errors.Manager.output_message = jpegOutputMessage;
    jpeg_create_decompress(&info);
    bool done = decode(info, errors, size ? data : &kNothing, size, picture.Image);
    long warnings = errors.Manager.num_warnings;
    jpeg_destroy_decompress(&info);
    if (errors.TooLarge)
        throw EInvalidGraphic(LoadResString(kCorruptDataText));
    if (!done)
        throw EInvalidGraphic(errors.Message);
    picture.Corrupted = warnings > 0;
    return picture;
}
