// The picture decoders (PNG, JPEG, BMP) on arbitrary bytes. A picture that will not decode
// must come back empty, never crash or read out of bounds.
#include "platform/rtl/Pictures.h"

#include <cstdint>
#include <cstdio>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The decoders explain every refusal on stderr; thousands of lines help nobody here.
    std::freopen("/dev/null", "w", stderr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const std::vector<uint8_t> bytes(data + 1, data + size);
    switch (data[0] % 3) {
    case 0: {
        rtl::TPNGObject png;
        png.LoadFromBytes(bytes);
        break;
    }
    case 1: {
        rtl::TJPEGImage jpeg;
        jpeg.LoadFromBytes(bytes);
        break;
    }
    default: {
        rtl::TBitmap bmp;
        bmp.LoadFromBytes(bytes);
        break;
    }
    }
    return 0;
}
