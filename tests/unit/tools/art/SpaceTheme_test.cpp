// The staged Space theme, read back the way the game will see it: the roles in order, the sizes
// the screens need, the bitmap font's cells, and the theme description.
#include "game/ScreenLayout.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/IniFiles.h"
#include "platform/rtl/Pictures.h"
#include "platform/rtl/Streams.h"
#include "tools/art/Mockups.h"
#include "tools/art/SpaceTheme.h"
#include "tools/art/Widgets.h"
#include "tools/oil/Theme.h"

#include <cstring>
#include <gtest/gtest.h>

using namespace art;
using namespace layout;

namespace {

std::string ThemeDir() {
    return rtl::ProgramDir() + "Themes";
}

struct Loaded {
    std::vector<oil::ThemePicture> Items;
    std::vector<rtl::TPixels> Pixels;
};

const Loaded& Theme() {
    static const Loaded loaded = [] {
        Loaded l;
        l.Items = oil::ReadTheme(rtl::ReadFileBytes(ThemeDir() + "/Space.OIL"));
        for (const oil::ThemePicture& item : l.Items) {
            rtl::TPixels p;
            std::string error;
            EXPECT_TRUE(rtl::DecodeImage(item.FileBytes, p, error)) << item.Name << ": " << error;
            l.Pixels.push_back(std::move(p));
        }
        return l;
    }();
    return loaded;
}

int W(int role) {
    return Theme().Pixels[role].Width;
}
int H(int role) {
    return Theme().Pixels[role].Height;
}

uint8_t Alpha(uint32_t argb) {
    return static_cast<uint8_t>(argb >> 24);
}

} // namespace

TEST(SpaceTheme, HoldsTheFortyRolesWithTheSizesTheScreensNeed) {
    const Loaded& t = Theme();
    ASSERT_EQ(t.Items.size(), 40u);
    for (int role : {rOptionsScreen, rLevelScreen, rMenuScreen, rCreditsScreen, rGameScreen}) {
        EXPECT_EQ(t.Items[role].ClassName, "TJPEGImage") << role;
        EXPECT_EQ(W(role), kScreenWidth) << role;
        EXPECT_EQ(H(role), kScreenHeight) << role;
    }
    for (int role : {rWall, rPusher, rZone, rCrate}) {
        EXPECT_EQ(W(role), 64) << role;
        EXPECT_EQ(H(role), 64) << role;
    }
    EXPECT_EQ(W(rEditBox), 160);
    EXPECT_EQ(H(rEditBox), 20);
    for (int role : {rTickOff, rTickOn}) {
        EXPECT_EQ(W(role), 21);
        EXPECT_EQ(H(role), 21);
    }
    for (int role : {rDepth16On, rDepth16Off, rDepth32On, rDepth32Off}) {
        EXPECT_EQ(W(role), 67);
        EXPECT_EQ(H(role), 27);
    }
    // All five menu buttons are stretched to picture 11; 13 doubles as the go button at its
    // own size, left of the back button.
    EXPECT_LE(W(rNewGameOther), 160);
    EXPECT_LE(H(rNewGameOther), 38);
    for (int role : {rNewGame, rLoad, rLoadOther, rOptions, rOptionsOther, rExit, rExitOther,
                     rCredits, rCreditsOther}) {
        EXPECT_EQ(W(role), W(rNewGameOther)) << role;
        EXPECT_EQ(H(role), H(rNewGameOther)) << role;
    }
    EXPECT_LE(kGo.X + W(rLoad), kLoadBack.X);
    EXPECT_LE(kGo.Y + H(rLoad), kScreenHeight);
    // Back, undo and restart stack 21 pixels apart at the right edge.
    for (int role : {rBack, rBackOther, rUndo, rUndoOther, rRestart, rRestartOther}) {
        EXPECT_LE(H(role), 21) << role;
        EXPECT_LE(W(role), 200) << role;
        EXPECT_LE(kUndo.X + W(role), kScreenWidth) << role;
    }
    EXPECT_EQ(W(rOk), W(rOkOther));
    EXPECT_EQ(H(rOk), H(rOkOther));
    EXPECT_LE(kOk.X + W(rOk), kOptionsBack.X);
    EXPECT_LE(kLoadBack.Y + H(rBack), kScreenHeight);
    // The answers lie inside the panel, side by side.
    EXPECT_LE(kYes.X + W(rYes), kNo.X);
    EXPECT_GE(kPanel.X + W(rDialog), kNo.X + W(rNo));
    EXPECT_GE(kPanel.Y + H(rDialog), kYes.Y + H(rYes));
    EXPECT_EQ(W(rYes), W(rYesOther));
    EXPECT_EQ(W(rNo), W(rNoOther));
    for (size_t i = 0; i < t.Items.size(); ++i) {
        if (static_cast<int>(i) == rFont)
            continue;
        EXPECT_EQ(t.Items[i].TileWidth, t.Pixels[i].Width) << i;
        EXPECT_EQ(t.Items[i].TileHeight, t.Pixels[i].Height) << i;
        if (t.Items[i].ClassName != "TJPEGImage") {
            EXPECT_EQ(t.Items[i].ClassName, "TPNGObject") << i;
        }
    }
}

TEST(SpaceTheme, PicturesDrawnOverAnUnclearedFrameAreOpaque) {
    // The dialog is drawn every frame over the last one without clearing, so its answers must
    // cover whatever their other state left behind; walls cover the sky completely.
    for (int role : {rYes, rYesOther, rNo, rNoOther, rWall})
        for (uint32_t p : Theme().Pixels[role].Argb)
            ASSERT_EQ(Alpha(p), 255) << role;
}

TEST(SpaceTheme, ZoneGlowShowsAroundACrateStandingOnIt) {
    const rtl::TPixels& crate = Theme().Pixels[rCrate];
    const rtl::TPixels& zone = Theme().Pixels[rZone];
    int glowing = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const bool margin = x < 5 || y < 5 || x >= 59 || y >= 59;
            if (!margin)
                continue;
            EXPECT_LT(Alpha(crate.At(x, y)), 200) << x << "," << y;
            if (Alpha(zone.At(x, y)) > 100)
                ++glowing;
        }
    EXPECT_GT(glowing, 100);
    // The pusher stands out: it is drawn, and transparent in the corners.
    EXPECT_EQ(Alpha(Theme().Pixels[rPusher].At(0, 0)), 0);
    EXPECT_EQ(Alpha(Theme().Pixels[rPusher].At(32, 32)), 255);
}

TEST(SpaceTheme, EditBoxIsLightSoBlackTextReads) {
    const rtl::TPixels& edit = Theme().Pixels[rEditBox];
    double sum = 0;
    int count = 0;
    for (int y = 4; y < edit.Height - 4; ++y)
        for (int x = 4; x < edit.Width - 4; ++x) {
            const uint32_t p = edit.At(x, y);
            sum += 0.3 * ((p >> 16) & 255) + 0.59 * ((p >> 8) & 255) + 0.11 * (p & 255);
            ++count;
        }
    EXPECT_GT(sum / count, 200);
}

TEST(SpaceTheme, FontHasNinetySixWhiteCellsInTheGamesOrder) {
    // The order the game hands its font: space, !@#$%&, the double quote, ()*+,-./, digits,
    // :;<=>?@, capitals, [\]^_, the backquote, small letters, [~]{}.
    std::string expected = " !@#$%&\"()*+,-./0123456789:;<=>?@";
    for (char c = 'A'; c <= 'Z'; ++c)
        expected += c;
    expected += "[\\]^_`";
    for (char c = 'a'; c <= 'z'; ++c)
        expected += c;
    expected += "[~]{}";
    ASSERT_EQ(expected.size(), 96u);
    EXPECT_EQ(std::string(kFontCharacters), expected);

    const oil::ThemePicture& item = Theme().Items[rFont];
    const rtl::TPixels& sheet = Theme().Pixels[rFont];
    const int cw = item.TileWidth, ch = item.TileHeight;
    ASSERT_GT(cw, 0);
    ASSERT_GT(ch, 0);
    EXPECT_EQ(sheet.Width % cw, 0);
    EXPECT_EQ(sheet.Height % ch, 0);
    const int columns = sheet.Width / cw;
    EXPECT_EQ(columns * (sheet.Height / ch), 96);
    // Rows of the level list are 19 pixels apart; "Incompleted" must end well before the
    // level numbers painted left of the second column.
    EXPECT_LE(ch, 19);
    EXPECT_LE(kStatusLeft[0] + 11 * cw, kStatusLeft[1] - 80);
    EXPECT_LE(kStatusLeft[1] + 11 * cw, kScreenWidth);
    for (int cell = 0; cell < 96; ++cell) {
        int ink = 0;
        for (int y = 0; y < ch; ++y)
            for (int x = 0; x < cw; ++x) {
                const uint32_t p = sheet.At(cw * (cell % columns) + x, ch * (cell / columns) + y);
                if (Alpha(p) == 0)
                    continue;
                ++ink;
                EXPECT_EQ(p & 0xFFFFFF, 0xFFFFFFu) << "cell " << cell << " is not white";
            }
        if (cell == 0)
            EXPECT_EQ(ink, 0) << "the space is blank";
        else
            EXPECT_GT(ink, 3) << "cell " << cell << " '" << expected[cell] << "' is empty";
    }
}

TEST(SpaceTheme, DescriptionTurnsThePusherAndPlacesTheMenuOnScreen) {
    const rtl::TIniFile ini(ThemeDir() + "/Space.ini");
    EXPECT_TRUE(ini.ReadBool("Space", "Rotation", false));
    const int w = W(rNewGameOther), h = H(rNewGameOther);
    for (int i = 0; i < 5; ++i) {
        const std::string key = "Button" + std::to_string(i);
        const int x = ini.ReadInteger("Space", key + "X", -1);
        const int y = ini.ReadInteger("Space", key + "Y", -1);
        EXPECT_EQ(x, kMenuButtonPlaces[i].X);
        EXPECT_EQ(y, kMenuButtonPlaces[i].Y);
        EXPECT_GE(x, 0);
        EXPECT_LE(x + w, kScreenWidth);
        EXPECT_LE(y + h, kScreenHeight);
        if (i > 0) {
            EXPECT_GE(y, ini.ReadInteger("Space", "Button" + std::to_string(i - 1) + "Y", 0) + h)
                << "button " << i << " overlaps the one above";
        }
    }
}

TEST(SpaceTheme, MockupsPrintTheLevelListWithTheFont) {
    const std::map<std::string, rtl::TPixels> screens = Mockups(ThemeDir());
    for (const char* name : {"menu", "level-selection", "options", "game", "dialog", "credits"}) {
        ASSERT_TRUE(screens.count(name)) << name;
        EXPECT_EQ(screens.at(name).Width, kScreenWidth);
        EXPECT_EQ(screens.at(name).Height, kScreenHeight);
    }
    // Where the first status word goes, the mock-up differs from the bare background.
    const rtl::TPixels& level = screens.at("level-selection");
    const rtl::TPixels& background = Theme().Pixels[rLevelScreen];
    int changed = 0;
    for (int y = kFirstRowTop; y < kFirstRowTop + kRowPitch; ++y)
        for (int x = kStatusLeft[0]; x < kStatusLeft[0] + 100; ++x)
            changed += level.At(x, y) != background.At(x, y);
    EXPECT_GT(changed, 100);
}
