#include "tools/oil/HostilePictures.h"

#include "platform/rtl/Pictures.h"

#include <zlib.h>

namespace oil {

namespace {

rtl::TPixels Gradient(int side) {
    rtl::TPixels pixels;
    pixels.Width = pixels.Height = side;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            pixels.Argb.push_back(0xFF000000u | static_cast<uint32_t>(x * 16) << 16 |
                                  static_cast<uint32_t>(y * 16) << 8);
    return pixels;
}

void PutBE32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

} // namespace

std::vector<uint8_t> HugePngHeader(uint32_t side) {
    std::vector<uint8_t> png = rtl::EncodePNG(Gradient(4));
    // Signature (8), IHDR length (4), "IHDR" (4), width (4), height (4) ... and the chunk's CRC
    // over its type and 13 data bytes at 29: a reader that checks it must still see a sound file.
    PutBE32(png, 16, side);
    PutBE32(png, 20, side);
    PutBE32(png, 29, static_cast<uint32_t>(crc32(0, png.data() + 12, 17)));
    return png;
}

std::vector<uint8_t> HugeJpegHeader(uint16_t side) {
    std::vector<uint8_t> jpeg = rtl::EncodeJPEG(Gradient(16), 90);
    for (size_t i = 0; i + 8 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
            // Marker (2), length (2), precision (1), height (2), width (2).
            jpeg[i + 5] = jpeg[i + 7] = static_cast<uint8_t>(side >> 8);
            jpeg[i + 6] = jpeg[i + 8] = static_cast<uint8_t>(side & 0xFF);
            break;
        }
    }
    return jpeg;
}

} // namespace oil
