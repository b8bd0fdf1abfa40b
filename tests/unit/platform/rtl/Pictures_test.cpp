#include "platform/rtl/ComponentStream.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Pictures.h"
#include "platform/win/Dialogs.h"
#include "tests/support/Headless.h"
#include "tools/oil/HostilePictures.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>

using namespace rtl;

namespace {

TPixels Gradient(int w, int h) {
    TPixels p;
    p.Width = w;
    p.Height = h;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.Argb.push_back(0xFF000000u | static_cast<uint32_t>((x * 40) << 16) |
                             static_cast<uint32_t>((y * 40) << 8) | 0x11);
    return p;
}

// A 2 x 2, 24-bit bottom-up bitmap: red, green / blue, white (top row first on screen).
std::vector<uint8_t> TinyBmp() {
    // In one piece: g++ 12 at -O3 takes an insert after the header for an overflow of it.
    return {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1,
            0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
            // Bottom row first: blue, white; rows padded to 4 bytes. Pixels are B, G, R.
            255, 0, 0, 255, 255, 255, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0};
}

std::vector<uint8_t> Stored(const std::string& className, const std::vector<uint8_t>& data,
                            bool sized) {
    // Made at its full length and filled: g++ 12 at -O2 takes an insert after a one-byte
    // start for an overflow of that byte.
    std::vector<uint8_t> out(1 + className.size());
    out[0] = static_cast<uint8_t>(className.size());
    std::copy(className.begin(), className.end(), out.begin() + 1);
    if (sized) {
        const auto n = static_cast<uint32_t>(data.size());
        out.insert(out.end(), reinterpret_cast<const uint8_t*>(&n),
                   reinterpret_cast<const uint8_t*>(&n) + 4);
    }
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

TPicture ReadStored(const std::vector<uint8_t>& bytes) {
    TMemoryStream s;
    s.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    s.SetPosition(0);
    TPicture picture;
    picture.ReadData(s);
    return picture;
}

} // namespace

TEST(Pictures, PngRoundTripKeepsEveryPixelAndAlpha) {
    TPixels source = Gradient(5, 3);
    source.Argb[4] = 0x80FF0000; // half-transparent red survives
    TPNGObject png;
    png.LoadFromBytes(EncodePNG(source));
    ASSERT_FALSE(png.Empty());
    EXPECT_EQ(png.Width(), 5);
    EXPECT_EQ(png.Height(), 3);
    EXPECT_EQ(png.Pixels().Argb, source.Argb);
}

TEST(Pictures, ReleasedPixelsKeepTheSizeAndComeBackDecodedAgain) {
    const TPixels source = Gradient(6, 4);
    TPNGObject png;
    png.LoadFromBytes(EncodePNG(source));
    ASSERT_EQ(png.Pixels().Argb, source.Argb);
    png.ReleasePixels();
    EXPECT_FALSE(png.Decoded());
    EXPECT_FALSE(png.Empty());
    EXPECT_EQ(png.Width(), 6);
    EXPECT_EQ(png.Height(), 4);
    EXPECT_FALSE(png.Decoded()) << "the size is known without decoding again";
    const std::unique_ptr<TGraphic> copy = png.Clone();
    EXPECT_EQ(png.Pixels().Argb, source.Argb);
    EXPECT_EQ(copy->Pixels().Argb, source.Argb) << "a copy made while released decodes too";
}

TEST(Pictures, TakenPixelsLeaveTheGraphicAsReleasedPixelsDo) {
    const TPixels source = Gradient(5, 3);
    TPNGObject png;
    png.LoadFromBytes(EncodePNG(source));
    const TPixels taken = png.TakePixels();
    EXPECT_EQ(taken.Width, 5);
    EXPECT_EQ(taken.Argb, source.Argb);
    EXPECT_FALSE(png.Decoded());
    EXPECT_EQ(png.Width(), 5);
    EXPECT_EQ(png.Pixels().Argb, source.Argb) << "asked for again, they are decoded again";
    EXPECT_TRUE(TUndecodedGraphic("TIcon").TakePixels().Empty());
}

TEST(Pictures, StoredPngIsFramedByItsOwnChunksAndTheRestStaysUnread) {
    std::vector<uint8_t> bytes = Stored("TPNGObject", EncodePNG(Gradient(3, 2)), false);
    bytes.push_back(0x42); // whatever follows the IEND chunk belongs to the next reader
    TMemoryStream s;
    s.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    s.SetPosition(0);
    TPicture picture;
    picture.ReadData(s);
    EXPECT_EQ(picture.Width(), 3);
    EXPECT_EQ(s.Size() - s.Position(), 1);
}

TEST(Pictures, BitmapAndJpegDecode) {
    TPicture bmp = ReadStored(Stored("TBitmap", TinyBmp(), true));
    ASSERT_FALSE(bmp.Empty());
    const TPixels& p = bmp.Graphic()->Pixels();
    EXPECT_EQ(p.At(0, 0), 0xFFFF0000u); // red, top left
    EXPECT_EQ(p.At(1, 0), 0xFF00FF00u);
    EXPECT_EQ(p.At(0, 1), 0xFF0000FFu);
    EXPECT_EQ(p.At(1, 1), 0xFFFFFFFFu);

    TPixels flat;
    flat.Width = 16;
    flat.Height = 8;
    flat.Argb.assign(16 * 8, 0xFF3366CC);
    TPicture jpeg = ReadStored(Stored("TJPEGImage", EncodeJPEG(flat, 95), true));
    ASSERT_FALSE(jpeg.Empty());
    EXPECT_EQ(jpeg.Width(), 16);
    const uint32_t c = jpeg.Graphic()->Pixels().At(7, 4);
    EXPECT_EQ(c >> 24, 0xFFu);
    EXPECT_NEAR(static_cast<int>((c >> 16) & 0xFF), 0x33, 3);
    EXPECT_NEAR(static_cast<int>(c & 0xFF), 0xCC, 3);
}

TEST(Pictures, DataThatWillNotDecodeLeavesAnEmptyPicture) {
    std::vector<uint8_t> png = EncodePNG(Gradient(4, 4));
    png[png.size() / 2] ^= 0xFF; // damage the compressed image data (its CRC no longer fits)
    EXPECT_TRUE(ReadStored(Stored("TPNGObject", png, false)).Empty());

    std::vector<uint8_t> jpeg = EncodeJPEG(Gradient(8, 8), 80);
    jpeg.resize(jpeg.size() / 3);
    EXPECT_TRUE(ReadStored(Stored("TJPEGImage", jpeg, true)).Empty());

    std::vector<uint8_t> bmp = TinyBmp();
    bmp[18] = 0xFF; // width 0x7FFF00FF... claimed: refused before anything is allocated
    bmp[21] = 0x7F;
    EXPECT_TRUE(ReadStored(Stored("TBitmap", bmp, true)).Empty());

    EXPECT_TRUE(ReadStored(Stored("TPNGObject", {'n', 'o', 'p', 'e'}, false)).Empty());
    // An unregistered class leaves no graphic at all.
    EXPECT_EQ(ReadStored(Stored("TGIFImage", {1, 2, 3}, false)).Graphic(), nullptr);
}

// A side beyond the largest accepted is refused whichever side it is, in every format, and the
// header reports the size as claimed.
TEST(Pictures, ASideBeyondTheLargestIsRefusedEachWayInEveryFormat) {
    for (const auto& [w, h] :
         {std::pair{kMaxPictureSide + 1, 16}, std::pair{16, kMaxPictureSide + 1}}) {
        const std::string size = std::to_string(w) + " x " + std::to_string(h);
        const std::pair<std::string, std::vector<uint8_t>> files[] = {
            {"TPNGObject", oil::HugePngHeader(static_cast<uint32_t>(w), static_cast<uint32_t>(h))},
            {"TJPEGImage", oil::HugeJpegHeader(static_cast<uint16_t>(w), static_cast<uint16_t>(h))},
            {"TBitmap", oil::HugeBmpHeader(w, h)},
        };
        for (const auto& [className, bytes] : files) {
            SCOPED_TRACE(className + " " + size);
            const TPicture picture =
                ReadStored(Stored(className, bytes, className != "TPNGObject"));
            long long width = 0, height = 0;
            ASSERT_TRUE(picture.Graphic()->HeaderSize(width, height));
            EXPECT_EQ(std::to_string(width) + " x " + std::to_string(height), size);
            EXPECT_TRUE(picture.Empty());
            const std::string& error = picture.Graphic()->DecodeError();
            EXPECT_NE(error.find("picture size " + size + " is not accepted"), std::string::npos)
                << error;
        }
    }
}

// libpng takes the size from the header before it meets a broken chunk further on, and the
// pixels are allocated at that size: the header reports it all the same, so that a picture too
// large is refused before a gigabyte is filled in vain.
TEST(Pictures, APngBrokenAfterItsHeaderIsSizedByTheHeader) {
    std::vector<uint8_t> png = oil::HugePngHeader(16384, 8);
    png.resize(png.size() - 6); // into the end chunk
    TPNGObject graphic;
    graphic.LoadFromBytes(png);
    long long width = 0, height = 0;
    ASSERT_TRUE(graphic.HeaderSize(width, height));
    EXPECT_EQ(width, 16384);
    EXPECT_EQ(height, 8);
}

TEST(Pictures, ASizeBeyondTheBlockIsAReadError) {
    std::vector<uint8_t> bytes = Stored("TBitmap", TinyBmp(), true);
    bytes[8] = 0xFF; // the UInt32 size now claims more than there is
    EXPECT_THROW(ReadStored(bytes), EReadError);
}

TEST(Pictures, IconsAndMetafilesAreKeptButNotDecoded) {
    TPicture icon = ReadStored(Stored("TIcon", {0, 0, 1, 0, 1, 0}, false));
    ASSERT_NE(icon.Graphic(), nullptr);
    EXPECT_FALSE(icon.Empty());
    EXPECT_FALSE(icon.Graphic()->CanDecode());
    EXPECT_EQ(icon.Width(), 0);
    TMemoryStream out;
    icon.WriteData(out);
    EXPECT_EQ(out.Bytes(), Stored("TIcon", {0, 0, 1, 0, 1, 0}, false));
}

TEST(Pictures, LoadFromFileChoosesTheClassByExtension) {
    testing_support::TempDir dir;
    const std::vector<uint8_t> png = EncodePNG(Gradient(2, 2));
    std::ofstream(dir.File("pic.PNG"), std::ios::binary)
        .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    TPicture picture;
    picture.LoadFromFile(dir.File("pic.PNG"));
    EXPECT_EQ(picture.Graphic()->ClassName(), "TPNGObject");
    EXPECT_EQ(picture.Width(), 2);
    EXPECT_THROW(picture.LoadFromFile(dir.File("pic.gif")), EInvalidGraphic);
    EXPECT_THROW(picture.LoadFromFile(dir.File("missing.png")), EFOpenError);
    TPicture copy = picture;
    EXPECT_EQ(copy.Graphic()->Pixels().Argb, picture.Graphic()->Pixels().Argb);
}
