#include "game/ProgressFile.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

// Hands over at most a few bytes per read, as a pipe or a slow file system may.
class TTrickleStream : public rtl::TMemoryStream {
public:
    int64_t Read(void* buffer, int64_t count) override {
        return rtl::TMemoryStream::Read(buffer, std::min<int64_t>(count, 7));
    }
};

TProgress ReadFrom(rtl::TMemoryStream& stream, const std::vector<uint8_t>& bytes) {
    stream.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.SetPosition(0);
    return ReadProgressBytes(stream);
}

} // namespace

TEST(ProgressFile, ShortLongAndTrickledFilesGiveOneMarkPerLevel) {
    rtl::TMemoryStream shortFile;
    const TProgress fromShort = ReadFrom(shortFile, {1, 0, 1});
    EXPECT_EQ(fromShort[0], 1);
    EXPECT_EQ(fromShort[2], 1);
    EXPECT_TRUE(std::all_of(fromShort.begin() + 3, fromShort.end(), [](uint8_t b) { return !b; }));

    std::vector<uint8_t> bytes(130, 0);
    bytes[49] = 1;
    bytes[120] = 1; // past the last level: ignored
    rtl::TMemoryStream longFile;
    EXPECT_EQ(ReadFrom(longFile, bytes)[49], 1);

    // Every byte arrives even when each read hands over only part of it.
    bytes.assign(100, 0);
    bytes[99] = 1;
    TTrickleStream trickle;
    EXPECT_EQ(ReadFrom(trickle, bytes)[99], 1);
}
