// JPEG through libjpeg (the turbo build Debian ships, which can write BGRA directly).
//
// libjpeg reports fatal errors through a callback that must not return. We leave with longjmp
// back into DecodeRaw, which is why no object with a destructor may be made between its setjmp
// and the end of decoding: the pixels go straight into the caller's vector, which lives in the
// caller's frame, out of the jump's way (and which the caller empties after a failure).
#include "platform/rtl/PictureCodecs.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <jpeglib.h>

namespace rtl::codecs {

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf escape;
    char message[JMSG_LENGTH_MAX];
};

void OnError(j_common_ptr info) {
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    manager->base.format_message(info, manager->message);
    std::longjmp(manager->escape, 1);
}

void OnMessage(j_common_ptr) {} // warnings are not worth a line on stderr

// A reader whose errors come back through errors.escape (the caller's setjmp) with the text in
// errors.message, and whose warnings are dropped.
void PrepareReader(jpeg_decompress_struct& info, ErrorManager& errors) {
    std::memset(&info, 0, sizeof info);
    std::memset(&errors, 0, sizeof errors);
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = OnError;
    errors.base.output_message = OnMessage;
}

// Decodes into pixels (BGRA words, which is ARGB in memory); false with the message filled in.
bool DecodeRaw(const uint8_t* data, size_t size, TPixels& pixels, char* message) {
    jpeg_decompress_struct info;
    ErrorManager errors;
    PrepareReader(info, errors);
    if (setjmp(errors.escape)) {
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", errors.message);
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    if (info.image_width == 0 || info.image_height == 0 || info.image_width > kMaxPictureSide ||
        info.image_height > kMaxPictureSide) {
        std::snprintf(message, JMSG_LENGTH_MAX, "picture size %u x %u is not accepted",
                      info.image_width, info.image_height);
        jpeg_destroy_decompress(&info);
        return false;
    }
    info.out_color_space = JCS_EXT_BGRA;
    jpeg_start_decompress(&info);
    const unsigned width = info.output_width;
    // Decoded in place: a buffer of our own copied over afterwards would cost the picture's
    // size twice more in fresh memory, which is most of a large picture's decoding time.
    if (!SizePixels(pixels, width, info.output_height)) {
        std::snprintf(message, JMSG_LENGTH_MAX, "out of memory");
        jpeg_destroy_decompress(&info);
        return false;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = reinterpret_cast<JSAMPROW>(
            pixels.Argb.data() + static_cast<size_t>(info.output_scanline) * width);
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

} // namespace

bool JPEGSize(const std::vector<uint8_t>& file, long long& width, long long& height) {
    if (file.empty())
        return false;
    jpeg_decompress_struct info;
    ErrorManager errors;
    PrepareReader(info, errors);
    if (setjmp(errors.escape)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&info, TRUE);
    width = info.image_width;
    height = info.image_height;
    jpeg_destroy_decompress(&info);
    return true;
}

bool DecodeJPEG(const std::vector<uint8_t>& file, TPixels& pixels, std::string& error) {
    if (file.empty()) {
        error = "JPEG: no data";
        return false;
    }
    char message[JMSG_LENGTH_MAX] = {};
    if (!DecodeRaw(file.data(), file.size(), pixels, message)) {
        pixels = TPixels();
        error = std::string("JPEG: ") + message;
        return false;
    }
    return true;
}

} // namespace rtl::codecs

namespace rtl {

// Writing runs on pixels we made ourselves, so libjpeg's fatal errors (which would mean a bug or
// no memory) are not caught here.
std::vector<uint8_t> EncodeJPEG(const TPixels& pixels, int quality) {
    if (pixels.Empty())
        return {};
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    std::memset(&info, 0, sizeof info);
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = static_cast<JDIMENSION>(pixels.Width);
    info.image_height = static_cast<JDIMENSION>(pixels.Height);
    info.input_components = 4;
    info.in_color_space = JCS_EXT_BGRA;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        auto* row = const_cast<JSAMPROW>(reinterpret_cast<const JSAMPLE*>(
            pixels.Argb.data() + static_cast<size_t>(info.next_scanline) * pixels.Width));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<uint8_t> bytes(out, out + size);
    jpeg_destroy_compress(&info);
    std::free(out);
    return bytes;
}

} // namespace rtl
