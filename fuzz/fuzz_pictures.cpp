// The picture decoders (PNG, JPEG, BMP) on arbitrary bytes. A picture that will not decode
// must come back empty, never crash or read out of bounds; one that does must hold exactly
// its pixels.
#include "platform/d3d/Device.h"
#include "platform/rtl/Pictures.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

// Decoding is lazy: asking for the pixels is what runs the decoder. As in the game, the header
// is read first, and a picture no texture could hold is never decoded.
void Decode(rtl::TGraphic& graphic, const std::vector<uint8_t>& bytes) {
    graphic.LoadFromBytes(bytes);
    long long width = 0, height = 0;
    if (graphic.HeaderSize(width, height) &&
        (width > d3d::kMaxTextureSize || height > d3d::kMaxTextureSize))
        return;
    const rtl::TPixels& pixels = graphic.Pixels();
    if (graphic.Empty())
        return;
    if (pixels.Width <= 0 || pixels.Height <= 0 ||
        pixels.Argb.size() != static_cast<size_t>(pixels.Width) * pixels.Height)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const std::vector<uint8_t> bytes(data + 1, data + size);
    switch (data[0] % 3) {
    case 0: {
        rtl::TPNGObject png;
        Decode(png, bytes);
        break;
    }
    case 1: {
        rtl::TJPEGImage jpeg;
        Decode(jpeg, bytes);
        break;
    }
    default: {
        rtl::TBitmap bmp;
        Decode(bmp, bytes);
        break;
    }
    }
    return 0;
}
