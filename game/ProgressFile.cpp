#include "game/ProgressFile.h"

TProgress ReadProgressBytes(rtl::TStream& stream) {
    TProgress bytes{};
    int64_t filled = 0;
    // A stream may hand over less than asked while more is there; stop only at its end.
    while (filled < kProgressSize) {
        const int64_t got = stream.Read(bytes.data() + filled, kProgressSize - filled);
        if (got <= 0)
            break;
        filled += got;
    }
    return bytes;
}
