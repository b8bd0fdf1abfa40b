// PNG through libpng's simplified API: any colour type and bit depth in, 8-bit BGRA out, which
// in memory is exactly our 0xAARRGGBB words on a little-endian machine.
#include "platform/rtl/PictureCodecs.h"

#include <cstring>
#include <png.h>

namespace rtl::codecs {

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "BGRA bytes are read as ARGB words");

bool SizeAcceptable(long long width, long long height, std::string& error) {
    if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide) {
        error = "picture size " + std::to_string(width) + " x " + std::to_string(height) +
                " is not accepted (at most " + std::to_string(kMaxPictureSide) + " a side)";
        return false;
    }
    return true;
}

namespace {
const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
} // namespace

size_t PNGLength(const uint8_t* data, size_t size) {
    if (size < 8 || std::memcmp(data, kSignature, 8) != 0)
        return 0;
    size_t pos = 8;
    while (size - pos >= 12) {
        const uint32_t length = (static_cast<uint32_t>(data[pos]) << 24) |
                                (static_cast<uint32_t>(data[pos + 1]) << 16) |
                                (static_cast<uint32_t>(data[pos + 2]) << 8) | data[pos + 3];
        if (length > size - pos - 12)
            return 0;
        const bool end = std::memcmp(data + pos + 4, "IEND", 4) == 0;
        pos += 12 + static_cast<size_t>(length);
        if (end)
            return pos;
    }
    return 0;
}

bool PNGSize(const std::vector<uint8_t>& file, long long& width, long long& height) {
    // The signature, then the IHDR chunk: length, type, width and height (big-endian). libpng
    // sizes the picture (and we allocate it) from these alone, before it finds out whether the
    // chunks after them are sound, so broken chunks further on change nothing here.
    if (file.size() < 24 || std::memcmp(file.data(), kSignature, 8) != 0 ||
        std::memcmp(file.data() + 12, "IHDR", 4) != 0)
        return false;
    const auto be32 = [&](size_t at) {
        return (static_cast<long long>(file[at]) << 24) | (file[at + 1] << 16) |
               (file[at + 2] << 8) | file[at + 3];
    };
    width = be32(16);
    height = be32(20);
    return true;
}

bool DecodePNG(const std::vector<uint8_t>& file, TPixels& pixels, std::string& error) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) {
        error = std::string("PNG: ") + image.message;
        return false;
    }
    if (!SizeAcceptable(image.width, image.height, error)) {
        png_image_free(&image);
        return false;
    }
    image.format = PNG_FORMAT_BGRA;
    TPixels decoded;
    if (!SizePixels(decoded, image.width, image.height)) {
        error = "PNG: out of memory";
        png_image_free(&image);
        return false;
    }
    if (!png_image_finish_read(&image, nullptr, decoded.Argb.data(), 0, nullptr)) {
        error = std::string("PNG: ") + image.message;
        png_image_free(&image);
        return false;
    }
    pixels = std::move(decoded);
    return true;
}

} // namespace rtl::codecs

namespace rtl {

std::vector<uint8_t> EncodePNG(const TPixels& pixels) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(pixels.Width);
    image.height = static_cast<png_uint_32>(pixels.Height);
    image.format = PNG_FORMAT_BGRA;
    png_alloc_size_t size = 0;
    if (pixels.Empty() ||
        !png_image_write_to_memory(&image, nullptr, &size, 0, pixels.Argb.data(), 0, nullptr))
        return {};
    std::vector<uint8_t> out(size);
    if (!png_image_write_to_memory(&image, out.data(), &size, 0, pixels.Argb.data(), 0, nullptr))
        return {};
    out.resize(size);
    return out;
}

} // namespace rtl
