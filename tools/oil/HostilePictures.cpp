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

std::vector<uint8_t> HugePngHeader(uint32_t width, uint32_t height) {
    std::vector<uint8_t> png = rtl::EncodePNG(Gradient(4));
    // Signature (8), IHDR length (4), "IHDR" (4), width (4), height (4) ... and the chunk's CRC
    // over its type and 13 data bytes at 29: a reader that checks it must still see a sound file.
    PutBE32(png, 16, width);
    PutBE32(png, 20, height);
    PutBE32(png, 29, static_cast<uint32_t>(crc32(0, png.data() + 12, 17)));
    return png;
}

std::vector<uint8_t> HugeJpegHeader(uint16_t width, uint16_t height) {
    std::vector<uint8_t> jpeg = rtl::EncodeJPEG(Gradient(16), 90);
    for (size_t i = 0; i + 8 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
            // Marker (2), length (2), precision (1), height (2), width (2).
            jpeg[i + 5] = static_cast<uint8_t>(height >> 8);
            jpeg[i + 6] = static_cast<uint8_t>(height & 0xFF);
            jpeg[i + 7] = static_cast<uint8_t>(width >> 8);
            jpeg[i + 8] = static_cast<uint8_t>(width & 0xFF);
            break;
        }
    }
    return jpeg;
}

std::vector<uint8_t> HugeBmpHeader(int32_t width, int32_t height) {
    // File header (14 bytes), info header (40), then the 4 x 4 picture's rows of 12 bytes.
    std::vector<uint8_t> bmp(54 + 4 * 12, 0x80);
    const auto put32 = [&](size_t at, uint32_t value) {
        for (size_t i = 0; i < 4; ++i)
            bmp[at + i] = static_cast<uint8_t>(value >> (8 * i));
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, static_cast<uint32_t>(bmp.size()));
    put32(6, 0);
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));
    put32(26, 1 | 24 << 16); // one plane, 24 bits a pixel
    put32(30, 0);            // no compression
    put32(34, 4 * 12);
    put32(38, 2835); // 72 dots an inch, either way
    put32(42, 2835);
    put32(46, 0);
    put32(50, 0);
    return bmp;
}

} // namespace oil
