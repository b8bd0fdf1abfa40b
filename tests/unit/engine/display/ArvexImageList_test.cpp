#include "engine/display/ArvexImageList.h"
#include "engine/display/ArvexScreen.h"
#include "platform/d3d/Device.h"
#include "platform/d3d/Resources.h"
#include "platform/rtl/Pictures.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/Headless.h"
#include "tools/oil/HostilePictures.h"
#include "tools/oil/Theme.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <tuple>

using testing_support::HeadlessApp;
using testing_support::Image;

namespace {

// A picture whose every pixel says where it is: red = x, green = y (both mod 256), blue 0x40.
rtl::TPixels Coordinates(int w, int h) {
    rtl::TPixels p;
    p.Width = w;
    p.Height = h;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.Argb.push_back(0xFF000040u | static_cast<uint32_t>((x & 255) << 16) |
                             static_cast<uint32_t>((y & 255) << 8));
    return p;
}

oil::ThemePicture Png(const std::string& name, const rtl::TPixels& pixels, int tileW, int tileH,
                      bool keyed = false) {
    return oil::ThemePicture{
        name, "TPNGObject", rtl::EncodePNG(pixels), tileW, tileH, rtl::clBlack, keyed, ""};
}

// A screen on the software device, 256 x 256, and an image list beside it on one form.
class ImageListTest : public ::testing::Test {
protected:
    ImageListTest() { Open(256, 256); }

    void Open(int width, int height) {
        delete Form;
        Form = new win::TForm(&H.App);
        Form->SetClientSize(width, height);
        Screen = rtl::Create<TArvexScreen>(Form);
        List = rtl::Create<TArvexImageList>(Form);
        Screen->RenderMode = rmReference;
        Screen->Width = width;
        Screen->Height = height;
        Screen->SetWindowHandle(Form);
        EXPECT_EQ(Screen->Initialize(), 0);
        win::RecordedMessageBoxes().clear();
    }

    void Load(const std::vector<oil::ThemePicture>& pictures) {
        const std::vector<uint8_t> bytes = oil::WriteTheme(pictures);
        rtl::TMemoryStream stream;
        stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
        List->ImageList().LoadFromStream(stream);
        List->LoadTextures();
    }

    Image Frame() {
        Image image;
        image.Width = 256;
        image.Height = 256;
        image.Pixels = Screen->Device()->ReadBackBuffer();
        return image;
    }

    HeadlessApp H;
    win::TForm* Form = nullptr;
    TArvexScreen* Screen;
    TArvexImageList* List;
};

// Texels reach the screen modulated by the vertex colour, which the screen's full tint turns
// from 255 into 254: a texel channel c arrives as about c * 254 / 256.
::testing::AssertionResult Near(uint32_t actual, uint32_t expected) {
    for (int shift = 0; shift < 32; shift += 8) {
        const int a = static_cast<int>((actual >> shift) & 0xFF);
        const int e = static_cast<int>((expected >> shift) & 0xFF);
        if (std::abs(a - e) > 2)
            return ::testing::AssertionFailure() << std::hex << "0x" << actual << " is not 0x"
                                                 << expected << " within 2 per channel";
    }
    return ::testing::AssertionSuccess();
}

long PeakResidentKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

TEST_F(ImageListTest, TheScreenBesideItIsFoundAndTexturesAreMadeOnce) {
    EXPECT_EQ(List->ArvexScreen(), Screen);
    Load({Png("a", Coordinates(200, 100), 200, 50)});
    TImageListItem* item = List->Items(0);
    ASSERT_NE(item->Texture(), nullptr);
    EXPECT_EQ(item->TextureWidth(), 256);
    EXPECT_EQ(item->TextureHeight(), 128);
    EXPECT_EQ(item->TileRows, 2);
    EXPECT_EQ(item->TileColumns, 1);
    d3d::Texture* first = item->Texture();
    List->LoadTextures();
    EXPECT_EQ(item->Texture(), first) << "a second LoadTextures keeps the texture";
    List->ReleaseTextures();
    EXPECT_FALSE(item->Attached());
    EXPECT_EQ(item->Texture(), first) << "released, not destroyed";
}

TEST_F(ImageListTest, TilesAreClampedAndMinusOneSqueezesTheWholePicture) {
    Load({Png("a", Coordinates(200, 100), 200, 50)});
    TImageListItem* item = List->Items(0);
    Screen->BeginScene();
    Screen->Clear(0, 0, 0, 255);
    item->Draw(0, 0, 5);   // only two tiles: tile 1, the lower half
    item->Draw(0, 60, -1); // the whole picture in a 200 x 50 quad
    Screen->EndScene();
    const Image frame = Frame();
    // Tile 1 starts at picture row 50.
    EXPECT_TRUE(Near(frame.At(10, 0), 0xFF0A3240u));
    EXPECT_TRUE(Near(frame.At(199, 49), 0xFFC76340u));
    // Squeezed: screen row 60 shows picture row 0, row 109 nearly the last one.
    EXPECT_EQ((frame.At(20, 60) >> 8) & 0xFF, 0u);
    EXPECT_GE((frame.At(20, 109) >> 8) & 0xFF, 96u);
    EXPECT_EQ(frame.At(0, 55), 0xFF000000u) << "nothing drawn between the two quads";
}

TEST_F(ImageListTest, BlackKeyRemovesExactBlackOnly) {
    rtl::TPixels p = Coordinates(4, 1);
    p.Argb = {0xFF000000, 0xFF010101, 0xFF000000, 0xFFFFFFFF};
    Load({Png("k", p, 4, 1, true)});
    Screen->BeginScene();
    Screen->Clear(0, 0, 255, 255);
    List->Items(0)->Draw(0, 0, 0);
    Screen->EndScene();
    const Image frame = Frame();
    EXPECT_EQ(frame.At(0, 0), 0xFF0000FFu) << "pure black is transparent";
    EXPECT_TRUE(Near(frame.At(1, 0), 0xFF010101u)) << "near black stays";
    EXPECT_TRUE(Near(frame.At(3, 0), 0xFFFFFFFFu));
}

TEST_F(ImageListTest, AColouredKeyIsReadAsATColorWithRedLowest) {
    rtl::TPixels p = Coordinates(2, 1);
    p.Argb = {0xFFFF0000, 0xFF0000FF}; // red, blue
    oil::ThemePicture picture = Png("k", p, 2, 1, true);
    picture.TransparentColor = 0x0000FF; // a TColor keeps red in its low byte
    Load({picture});
    Screen->BeginScene();
    Screen->Clear(0, 255, 0, 255);
    List->Items(0)->Draw(0, 0, 0);
    Screen->EndScene();
    const Image frame = Frame();
    EXPECT_EQ(frame.At(0, 0), 0xFF00FF00u) << "red is the key";
    EXPECT_TRUE(Near(frame.At(1, 0), 0xFF0000FFu)) << "blue stays";
}

TEST_F(ImageListTest, ABackgroundFillsTheScreenAndTextureCoordinatesStopAtThePicture) {
    Open(1024, 768);
    Load({Png("bg", Coordinates(1024, 768), 1024, 768)});
    TImageListItem* item = List->Items(0);
    EXPECT_EQ(item->TextureHeight(), 1024);
    Screen->BeginScene();
    Screen->Clear(0, 0, 0, 255);
    item->Draw(0, 0, 0);
    Screen->EndScene();
    const std::vector<uint32_t> frame = Screen->Device()->ReadBackBuffer();
    EXPECT_TRUE(Near(frame[0], 0xFF000040u));
    EXPECT_TRUE(Near(frame[767 * 1024 + 1023], 0xFFFFFF40u))
        << "the last pixel is the picture's last";
}

TEST_F(ImageListTest, OnceTheTextureHoldsThePixelsThePictureKeepsOnlyItsFileThroughResets) {
    Load({Png("a", Coordinates(200, 100), 200, 100)});
    TImageListItem* item = List->Items(0);
    const rtl::TGraphic* graphic = item->Picture().Graphic();
    ASSERT_NE(item->Texture(), nullptr);
    EXPECT_FALSE(graphic->Decoded()) << "the decoded pixels were let go";
    EXPECT_FALSE(graphic->FileBytes().empty());
    EXPECT_EQ(item->Picture().Width(), 200);

    Screen->ResetDevice();
    EXPECT_FALSE(graphic->Decoded()) << "a reset keeps the texture and decodes nothing";
    EXPECT_EQ(item->PictureWidth, 200);
    EXPECT_EQ(item->TileRows, 1);
    Screen->BeginScene();
    Screen->Clear(0, 0, 0, 255);
    item->Draw(0, 0, 0);
    Screen->EndScene();
    const std::vector<uint32_t> frame = Screen->Device()->ReadBackBuffer();
    EXPECT_TRUE(Near(frame[99 * 256 + 199], 0xFFC76340u)) << "drawn from the kept texture";
}

TEST_F(ImageListTest, TileSizesOfZeroTakeThePictureOnceItIsKnown) {
    Load({Png("z", Coordinates(40, 30), 0, 0)});
    TImageListItem* item = List->Items(0);
    EXPECT_EQ(item->TileWidth(), 40);
    EXPECT_EQ(item->TileHeight(), 30);
    EXPECT_EQ(item->TileRows, 1);
    item->SetTileHeight(0);
    EXPECT_EQ(item->TileHeight(), 30);
    // A picture smaller than one tile has no tiles and draws nothing (no division by zero).
    item->SetTileWidth(64);
    EXPECT_EQ(item->TileColumns, 0);
    Screen->BeginScene();
    Screen->Clear(0, 0, 0, 255);
    item->Draw(0, 0, 0);
    Screen->EndScene();
    EXPECT_EQ(Frame().At(5, 5), 0xFF000000u);
}

TEST_F(ImageListTest, AMissingFileLeavesEverythingAsItWas) {
    Load({Png("a", Coordinates(8, 8), 8, 8), Png("b", Coordinates(8, 8), 8, 8)});
    d3d::Texture* texture = List->Items(1)->Texture();
    List->ImageList().LoadFromFile("no/such/theme.OIL");
    ASSERT_EQ(List->Count(), 2);
    EXPECT_EQ(List->Items(1)->Texture(), texture);
    ASSERT_EQ(win::RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(win::RecordedMessageBoxes()[0].Text,
              "Cannot be loaded - file error or file crypted!");
}

TEST_F(ImageListTest, APictureFileReplacesTheStreamedPictureOnlyWhenItDecodes) {
    testing_support::TempDir dir;
    const std::vector<uint8_t> good = rtl::EncodePNG(Coordinates(32, 16));
    std::vector<uint8_t> truncated = good;
    truncated.resize(truncated.size() / 2);
    const auto write = [&](const std::string& name, const std::vector<uint8_t>& bytes) {
        rtl::TMemoryStream file;
        file.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
        file.SaveToFile(dir.File(name));
        return dir.File(name);
    };
    oil::ThemePicture fromGood = Png("good", Coordinates(8, 8), 0, 0);
    fromGood.Filepath = write("good.png", good);
    oil::ThemePicture fromBroken = Png("broken", Coordinates(8, 8), 0, 0);
    fromBroken.Filepath = write("broken.png", truncated);
    Load({fromGood, fromBroken});
    EXPECT_EQ(List->Items(0)->PictureWidth, 32);
    ASSERT_NE(List->Items(1)->Texture(), nullptr) << "the streamed picture must stay";
    EXPECT_EQ(List->Items(1)->PictureWidth, 8);
}

TEST_F(ImageListTest, ABrokenStreamKeepsTheItemsReadBeforeTheBreak) {
    std::vector<uint8_t> bytes =
        oil::WriteTheme({Png("a", Coordinates(8, 8), 8, 8), Png("b", Coordinates(8, 8), 8, 8),
                         Png("c", Coordinates(8, 8), 8, 8)});
    // Cut inside the third item: find its name.
    const std::string text(bytes.begin(), bytes.end());
    bytes.resize(text.rfind("\x04Name\x06\x01"
                            "c") +
                 3);
    rtl::TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    List->ImageList().LoadFromStream(stream);
    EXPECT_EQ(List->Count(), 3) << "the third item was begun";
    EXPECT_EQ(List->Items(1)->Name, "b");
    ASSERT_EQ(win::RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(win::RecordedMessageBoxes()[0].Text,
              "The stream could not be loaded, either it is corrupt or encrypted!");
    EXPECT_EQ(win::RecordedMessageBoxes()[0].Caption, "Error!");
}

TEST_F(ImageListTest, AForeignRootClassStillLoads) {
    std::vector<uint8_t> bytes = oil::WriteTheme({Png("a", Coordinates(8, 8), 8, 8)});
    const std::string cls = "TImageListCollectionComponent";
    std::string text(bytes.begin(), bytes.end());
    const std::string other = "TSomethingElseEntirelyXYZWVUT";
    ASSERT_EQ(other.size(), cls.size());
    text.replace(text.find(cls), cls.size(), other);
    rtl::TMemoryStream stream;
    stream.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
    List->ImageList().LoadFromStream(stream);
    EXPECT_EQ(List->Count(), 1);
    EXPECT_TRUE(win::RecordedMessageBoxes().empty());
}

TEST_F(ImageListTest, EveryDrawOperation) {
    // A 32 x 32 picture of four 16 x 16 tiles in four colours with a darker frame, drawn once
    // through each operation; compared with the golden picture.
    rtl::TPixels p;
    p.Width = 32;
    p.Height = 32;
    const uint32_t colours[4] = {0xFFE04040, 0xFF40E040, 0xFF4040E0, 0xFFE0E040};
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const uint32_t c = colours[(y / 16) * 2 + x / 16];
            const bool frame = x % 16 == 0 || y % 16 == 0 || x % 16 == 15 || y % 16 == 15;
            p.Argb.push_back(frame ? (c & 0xFF7F7F7F) : c);
        }
    Load({Png("tiles", p, 16, 16)});
    TImageListItem* item = List->Items(0);
    Screen->BeginScene();
    Screen->Clear(20, 20, 30, 255);
    item->Draw(8, 8, 0);
    item->Draw(32, 8, 3);
    item->Draw(56, 8, -1);
    item->DrawColored(8, 40, 0, 0, 0, 2, 2, 0xFF808080, false, false, 1, 0);
    item->DrawColored(56, 40, 45, 0.5f, 0.5f, 1, 1, 0x80FFFFFF, true, false, 2, 0);
    item->DrawEx(88, 40, 90, 0.5f, 0.5f, 1.5f, 1.5f, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF,
                 false, true, 0, 0);
    item->DrawRect(TRect{0, 0, 64, 24}, 8, 90, 0, 0, 0, 1, 1, 255, 255, 255, 255, false, false, -1,
                   0);
    item->DrawQuad(100, 100, 180, 110, 170, 170, 110, 160, 0, 0, 0, 1, 1, 0xFFFFFFFF, 0xFFFFFFFF,
                   0xFFFFFFFF, 0xFFFFFFFF, false, false, 3, 1);
    Screen->EndScene();
    EXPECT_TRUE(testing_support::MatchesGolden("imagelist_draws", Frame()));
}

// Pictures no device could take are refused from their headers alone: the check, the texture
// loading and a picture file named by Filepath never decode them, so memory stays where it was
// (a decode of one of them would add a gigabyte; the sanitizers' own overhead stays far below the
// bound). Each format and each side counts: a picture too large on one side only is refused too.
TEST_F(ImageListTest, APictureLargerThanAnyTextureIsNeverDecoded) {
    const long before = PeakResidentKb();
    EXPECT_EQ(List->MaxTextureSide(), 4096);
    const struct {
        const char* ClassName;
        std::vector<uint8_t> (*Header)(int, int);
        int Width, Height;
    } cases[] = {
        {"TPNGObject",
         [](int w, int h) {
             return oil::HugePngHeader(static_cast<uint32_t>(w), static_cast<uint32_t>(h));
         },
         16384, 16384},
        {"TPNGObject",
         [](int w, int h) {
             return oil::HugePngHeader(static_cast<uint32_t>(w), static_cast<uint32_t>(h));
         },
         16384, 16},
        {"TPNGObject",
         [](int w, int h) {
             return oil::HugePngHeader(static_cast<uint32_t>(w), static_cast<uint32_t>(h));
         },
         16, 4097},
        {"TJPEGImage",
         [](int w, int h) {
             return oil::HugeJpegHeader(static_cast<uint16_t>(w), static_cast<uint16_t>(h));
         },
         16384, 16384},
        {"TJPEGImage",
         [](int w, int h) {
             return oil::HugeJpegHeader(static_cast<uint16_t>(w), static_cast<uint16_t>(h));
         },
         4097, 16},
        {"TJPEGImage",
         [](int w, int h) {
             return oil::HugeJpegHeader(static_cast<uint16_t>(w), static_cast<uint16_t>(h));
         },
         16, 16384},
        {"TBitmap", [](int w, int h) { return oil::HugeBmpHeader(w, h); }, 16384, 16},
        {"TBitmap", [](int w, int h) { return oil::HugeBmpHeader(w, h); }, 16, 16384},
    };
    for (const auto& c : cases) {
        const std::string size = std::to_string(c.Width) + " x " + std::to_string(c.Height);
        const std::string name = std::string(c.ClassName) + " " + size;
        SCOPED_TRACE(name);
        win::RecordedMessageBoxes().clear();
        const std::vector<uint8_t> theme =
            oil::WriteTheme({Png("a", Coordinates(8, 8), 8, 8),
                             oil::ThemePicture{name, c.ClassName, c.Header(c.Width, c.Height), 0, 0,
                                               rtl::clBlack, false, ""}});
        rtl::TMemoryStream stream;
        stream.WriteBuffer(theme.data(), static_cast<int64_t>(theme.size()));
        List->ImageList().LoadFromStream(stream);
        const std::string why =
            "the picture is " + size + ", larger than the largest texture (4096 x 4096)";
        EXPECT_EQ(List->ImageList().Problem(List->MaxTextureSide()),
                  "item 1 (\"" + name + "\"): " + why);
        EXPECT_FALSE(List->Items(1)->Picture().Graphic()->Decoded());
        List->LoadTextures();
        EXPECT_EQ(List->Items(1)->Texture(), nullptr);
        EXPECT_EQ(win::RecordedMessageBoxes().size(), 1u);
        EXPECT_EQ(win::RecordedMessageBoxes().empty() ? "" : win::RecordedMessageBoxes()[0].Text,
                  "Error creating texture " + name + ": " + why);
    }
    // A picture file of that kind stays unread; the streamed picture serves.
    testing_support::TempDir dir;
    rtl::TMemoryStream file;
    const std::vector<uint8_t> bytes = oil::HugePngHeader(16384, 16384);
    file.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    file.SaveToFile(dir.File("huge.png"));
    oil::ThemePicture fromFile = Png("file", Coordinates(8, 8), 0, 0);
    fromFile.Filepath = dir.File("huge.png");
    win::RecordedMessageBoxes().clear();
    Load({fromFile});
    EXPECT_NE(List->Items(0)->Texture(), nullptr);
    EXPECT_EQ(List->Items(0)->PictureWidth, 8);
    EXPECT_LT(PeakResidentKb() - before, 256 * 1024) << "a huge picture was decoded";
}

TEST_F(ImageListTest, APictureThatDoesNotDecodeIsNamedWithItsItem) {
    std::vector<uint8_t> damaged = rtl::EncodePNG(Coordinates(64, 64));
    const std::string text(damaged.begin(), damaged.end());
    const size_t idat = text.find("IDAT");
    ASSERT_NE(idat, std::string::npos);
    for (size_t i = idat + 4; i < idat + 24; ++i)
        damaged[i] ^= 0x5A;
    TImageListCollection theme(List);
    rtl::TMemoryStream stream;
    const std::vector<uint8_t> bytes = oil::WriteTheme(
        {Png("a", Coordinates(8, 8), 8, 8),
         oil::ThemePicture{"Wall", "TPNGObject", damaged, 0, 0, rtl::clBlack, false, ""}});
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    theme.LoadFromStream(stream);
    const std::string problem = theme.Problem(List->MaxTextureSide());
    EXPECT_EQ(problem.rfind("item 1 (\"Wall\"): the picture does not decode (PNG: ", 0), 0u)
        << problem;
    // Checked aside, the list in use never changed; put in place, the lists trade items.
    Load({Png("in use", Coordinates(8, 8), 8, 8)});
    d3d::Texture* inUse = List->Items(0)->Texture();
    EXPECT_EQ(List->Count(), 1);
    List->ImageList().Exchange(theme);
    EXPECT_EQ(List->Count(), 2);
    EXPECT_EQ(theme.Items(0)->Texture(), inUse);
    EXPECT_EQ(List->Items(1)->Name, "Wall");
}

// Pictures that each fit a texture but together would take far more memory than their file
// could honestly hold are refused from their headers too, before any is decoded. Sides differ,
// so a size that counts one side twice shows.
TEST_F(ImageListTest, PicturesTooLargeTogetherAreRefusedBeforeDecoding) {
    const long before = PeakResidentKb();
    std::vector<oil::ThemePicture> pictures;
    for (const auto& [name, width, height] :
         {std::tuple{"a", 4096u, 1024u}, std::tuple{"b", 1024u, 4096u},
          std::tuple{"c", 4096u, 4096u}})
        pictures.push_back(oil::ThemePicture{name, "TPNGObject", oil::HugePngHeader(width, height),
                                             0, 0, rtl::clBlack, false, ""});
    const std::vector<uint8_t> bytes = oil::WriteTheme(pictures);
    rtl::TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    TImageListCollection theme(List);
    theme.LoadFromStream(stream);
    EXPECT_EQ(theme.Problem(4096, int64_t{64} << 20),
              "its pictures would take 96 MB once decoded, more than such a file may (64 MB at "
              "most)");
    EXPECT_FALSE(theme.Items(0)->Picture().Graphic()->Decoded());
    EXPECT_LT(PeakResidentKb() - before, 128 * 1024);
}
