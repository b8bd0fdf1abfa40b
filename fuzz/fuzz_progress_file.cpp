// The progress file as the level selection reads it: any bytes, any length. Whatever comes in,
// exactly one completion byte per level comes out, and the byte at each level is the file's.
#include "game/ProgressFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    rtl::TMemoryStream stream;
    stream.Write(data, static_cast<int64_t>(size));
    stream.SetPosition(0);
    const TProgress progress = ReadProgressBytes(stream);
    for (size_t i = 0; i < progress.size(); ++i) {
        const uint8_t expected = i < size ? data[i] : 0;
        if (progress[i] != expected)
            std::abort();
    }
    return 0;
}
