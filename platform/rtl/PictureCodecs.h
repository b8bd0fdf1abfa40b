// The decoders behind the picture classes. Each returns false with a reason instead of throwing,
// and refuses sizes above kMaxPictureSide before allocating.
#pragma once

#include "platform/rtl/Pictures.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace rtl::codecs {

bool DecodePNG(const std::vector<uint8_t>& file, TPixels& pixels, std::string& error);
bool DecodeJPEG(const std::vector<uint8_t>& file, TPixels& pixels, std::string& error);
bool DecodeBMP(const std::vector<uint8_t>& file, TPixels& pixels, std::string& error);

// Length of the PNG that starts at data: from the signature to the end of its IEND chunk.
// 0 when the bytes are not a complete PNG chunk sequence.
size_t PNGLength(const uint8_t* data, size_t size);

bool SizeAcceptable(long long width, long long height, std::string& error);

// Sizes pixels for a width x height picture (an accepted size), with room for it to grow in place
// to power-of-two sides, as a texture of it does: made into one, it then needs no second copy
// (reserved room costs no memory until it is written). False, with pixels empty, when there is
// no memory for it; an exception must not cross a decoder's C frames.
bool SizePixels(TPixels& pixels, unsigned width, unsigned height);

// The size a file's header claims, read without decoding (and without allocating for the
// pixels); false when the header cannot be read.
bool PNGSize(const std::vector<uint8_t>& file, long long& width, long long& height);
bool JPEGSize(const std::vector<uint8_t>& file, long long& width, long long& height);
bool BMPSize(const std::vector<uint8_t>& file, long long& width, long long& height);

} // namespace rtl::codecs
