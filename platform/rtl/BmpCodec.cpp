// BMP through SDL's reader, converted to ARGB. A bitmap without an alpha channel is opaque.
#include "platform/rtl/PictureCodecs.h"

#include <SDL.h>

namespace rtl::codecs {

bool BMPSize(const std::vector<uint8_t>& file, long long& width, long long& height) {
    if (file.size() < 26 || file[0] != 'B' || file[1] != 'M')
        return false;
    const auto le32 = [&](size_t at) {
        return static_cast<int32_t>(file[at] | (file[at + 1] << 8) | (file[at + 2] << 16) |
                                    (static_cast<uint32_t>(file[at + 3]) << 24));
    };
    if (le32(14) == 12) {
        width = file[18] | (file[19] << 8);
        height = file[20] | (file[21] << 8);
    } else {
        width = le32(18);
        height = le32(22);
        if (height < 0)
            height = -height;
    }
    return true;
}

bool DecodeBMP(const std::vector<uint8_t>& file, TPixels& pixels, std::string& error) {
    // SDL trusts the header's size; look at it first so a hostile header cannot make it
    // allocate gigabytes.
    long long width = 0, height = 0;
    if (!BMPSize(file, width, height)) {
        error = "BMP: not a bitmap file";
        return false;
    }
    if (!SizeAcceptable(width, height, error)) {
        error = "BMP: " + error;
        return false;
    }

    SDL_RWops* rw = SDL_RWFromConstMem(file.data(), static_cast<int>(file.size()));
    SDL_Surface* loaded = rw ? SDL_LoadBMP_RW(rw, 1) : nullptr;
    if (!loaded) {
        error = std::string("BMP: ") + SDL_GetError();
        return false;
    }
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
    const bool hasAlpha = loaded->format->Amask != 0;
    SDL_FreeSurface(loaded);
    if (!argb) {
        error = std::string("BMP: ") + SDL_GetError();
        return false;
    }
    pixels.Width = argb->w;
    pixels.Height = argb->h;
    pixels.Argb.resize(static_cast<size_t>(argb->w) * argb->h);
    for (int y = 0; y < argb->h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(
            static_cast<const uint8_t*>(argb->pixels) + static_cast<size_t>(y) * argb->pitch);
        for (int x = 0; x < argb->w; ++x)
            pixels.Argb[static_cast<size_t>(y) * argb->w + x] =
                hasAlpha ? row[x] : row[x] | 0xFF000000u;
    }
    SDL_FreeSurface(argb);
    return true;
}

} // namespace rtl::codecs
