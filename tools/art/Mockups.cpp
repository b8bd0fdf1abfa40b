#include "tools/art/Mockups.h"

#include "game/ScreenLayout.h"
#include "platform/rtl/IniFiles.h"
#include "platform/rtl/Streams.h"
#include "tools/art/Canvas.h"
#include "tools/art/SpaceTheme.h"
#include "tools/art/Widgets.h"
#include "tools/oil/Theme.h"

#include <array>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace art {

using namespace layout;

namespace {

class Theme {
public:
    explicit Theme(const std::string& dir) : FIni(dir + "/Space.ini") {
        FItems = oil::ReadTheme(rtl::ReadFileBytes(dir + "/Space.OIL"));
        for (const oil::ThemePicture& item : FItems) {
            rtl::TPixels pixels;
            std::string error;
            if (!rtl::DecodeImage(item.FileBytes, pixels, error))
                throw std::runtime_error(item.Name + ": " + error);
            FPictures.push_back(std::move(pixels));
        }
        FCharMap.fill(-1);
        for (int i = static_cast<int>(std::strlen(kFontCharacters)) - 1; i >= 0; --i)
            FCharMap[static_cast<uint8_t>(kFontCharacters[i])] = i;
    }

    const rtl::TPixels& Picture(int index) const { return FPictures.at(index); }

    // Widgets stretch their picture to their own size.
    void Widget(rtl::TPixels& screen, int index, Point at, int width = 0, int height = 0) const {
        const rtl::TPixels& p = Picture(index);
        width = width ? width : p.Width;
        height = height ? height : p.Height;
        if (width == p.Width && height == p.Height)
            Blend(screen, p, at.X, at.Y);
        else
            Blend(screen, Resize(p, width, height), at.X, at.Y);
    }

    // The bitmap font's drawing: one cell per character, each advancing by the cell width.
    void Text(rtl::TPixels& screen, int x, int y, const std::string& text, uint32_t color) const {
        const oil::ThemePicture& item = FItems[rFont];
        const rtl::TPixels& sheet = Picture(rFont);
        const int columns = sheet.Width / item.TileWidth;
        for (const char ch : text) {
            const int g = FCharMap[static_cast<uint8_t>(ch)];
            if (g < 0)
                continue;
            if (ch != ' ')
                Blend(screen,
                      Crop(sheet, item.TileWidth * (g % columns), item.TileHeight * (g / columns),
                           item.TileWidth, item.TileHeight),
                      x, y, color);
            x += item.TileWidth;
        }
    }

    int FontHeight() const { return FItems[rFont].TileHeight; }

    Point MenuButton(int i) const {
        const std::string key = "Button" + std::to_string(i);
        return {FIni.ReadInteger("Space", key + "X", 0), FIni.ReadInteger("Space", key + "Y", 0)};
    }

private:
    rtl::TIniFile FIni;
    std::vector<oil::ThemePicture> FItems;
    std::vector<rtl::TPixels> FPictures;
    std::array<int, 256> FCharMap{};
};

rtl::TPixels Screen(const Theme& theme, int background) {
    rtl::TPixels screen;
    screen.Width = kScreenWidth;
    screen.Height = kScreenHeight;
    screen.Argb.assign(static_cast<size_t>(kScreenWidth) * kScreenHeight, 0xFF000000u);
    Blend(screen, theme.Picture(background), 0, 0);
    return screen;
}

// A board to show the sprites with: free floor around it shows the background.
const char* const kSampleBoard[12] = {
    "                ", "   ##########   ", "   #   ##  .#   ", "   # $    $ #   ",
    "  ##  #### .##  ", "  #  $ @  $. #  ", "  # .  ##   .#  ", "  ##  $   *  #  ",
    "   #   ##   ##  ", "   ##########   ", "                ", "                ",
};

rtl::TPixels Game(const Theme& theme) {
    rtl::TPixels screen = Screen(theme, rGameScreen);
    // Depth order of the board: walls, zones, objects, pusher.
    for (const auto& [symbols, role] : {std::pair{"#", rWall}, {".*+", rZone}, {"$*", rCrate}}) {
        for (int row = 0; row < 12; ++row)
            for (int col = 0; col < 16; ++col)
                if (std::strchr(symbols, kSampleBoard[row][col]))
                    Blend(screen, theme.Picture(role), col * kCell, row * kCell);
    }
    for (int row = 0; row < 12; ++row)
        for (int col = 0; col < 16; ++col)
            if (kSampleBoard[row][col] == '@' || kSampleBoard[row][col] == '+')
                Blend(screen, theme.Picture(rPusher), col * kCell, row * kCell);
    theme.Widget(screen, rUndo, kUndo);
    theme.Widget(screen, rRestartOther, kRestart);
    theme.Widget(screen, rBack, kGameBack);
    return screen;
}

} // namespace

std::map<std::string, rtl::TPixels> Mockups(const std::string& themeDir) {
    const Theme theme(themeDir);
    std::map<std::string, rtl::TPixels> screens;

    rtl::TPixels menu = Screen(theme, rMenuScreen);
    const int menuW = theme.Picture(rNewGameOther).Width,
              menuH = theme.Picture(rNewGameOther).Height;
    const int normal[5] = {rNewGame, rLoad, rOptions, rCredits, rExit};
    for (int i = 0; i < 5; ++i)
        theme.Widget(menu, i == 1 ? rLoadOther : normal[i], theme.MenuButton(i), menuW, menuH);
    screens["menu"] = std::move(menu);

    rtl::TPixels level = Screen(theme, rLevelScreen);
    theme.Widget(level, rLoad, kGo);
    theme.Widget(level, rBack, kLoadBack);
    theme.Widget(level, rEditBox, kLevelEdit, kEditWidth, kEditHeight);
    const int textTop = kLevelEdit.Y + kEditHeight / 2 - theme.FontHeight() / 2;
    theme.Text(level, kLevelEdit.X + 2, textTop, "12_", 0xFF000000u);
    for (int n = 1; n <= 50; ++n) {
        const int column = n > kLevelsPerColumn;
        const int top = kFirstRowTop + kRowPitch * ((n - 1) % kLevelsPerColumn);
        const bool done = n <= 7 || n == 12 || n == 30;
        theme.Text(level, kStatusLeft[column], top, done ? "Completed" : "Incompleted",
                   done ? 0xFFCBDFDFu : 0xFF727272u);
    }
    screens["level-selection"] = std::move(level);

    rtl::TPixels options = Screen(theme, rOptionsScreen);
    theme.Widget(options, rOk, kOk);
    theme.Widget(options, rBackOther, kOptionsBack);
    theme.Widget(options, rTickOn, kMusicBox, kTickSize, kTickSize);
    theme.Widget(options, rTickOn, kAntialiasBox, kTickSize, kTickSize);
    theme.Widget(options, rTickOff, kFullScreenBox, kTickSize, kTickSize);
    theme.Widget(options, rDepth32On, kDepth32, kDepthWidth, kDepthHeight);
    theme.Widget(options, rDepth16Off, kDepth16, kDepthWidth, kDepthHeight);
    screens["options"] = std::move(options);

    rtl::TPixels game = Game(theme);
    rtl::TPixels dialog = game;
    theme.Widget(dialog, rDialog, kPanel);
    theme.Widget(dialog, rYes, kYes);
    theme.Widget(dialog, rNoOther, kNo);
    screens["game"] = std::move(game);
    screens["dialog"] = std::move(dialog);

    screens["credits"] = Screen(theme, rCreditsScreen);
    return screens;
}

} // namespace art
