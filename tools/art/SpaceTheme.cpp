#include "tools/art/SpaceTheme.h"

#include "game/ScreenLayout.h"
#include "platform/rtl/Pictures.h"
#include "tools/art/Backgrounds.h"
#include "tools/art/Canvas.h"
#include "tools/art/Sprites.h"
#include "tools/art/Widgets.h"

#include <sstream>

namespace art {

using namespace layout;

namespace {

oil::ThemePicture Png(const std::string& name, const rtl::TPixels& pixels, int tileWidth = 0,
                      int tileHeight = 0) {
    oil::ThemePicture p;
    p.Name = name;
    p.ClassName = "TPNGObject";
    p.FileBytes = rtl::EncodePNG(pixels);
    p.TileWidth = tileWidth ? tileWidth : pixels.Width;
    p.TileHeight = tileHeight ? tileHeight : pixels.Height;
    // Every picture carries its own alpha; a colour key would only eat its darkest pixels.
    p.Transparent = false;
    return p;
}

oil::ThemePicture Jpeg(const std::string& name, const rtl::TPixels& pixels) {
    oil::ThemePicture p;
    p.Name = name;
    p.ClassName = "TJPEGImage";
    p.FileBytes = rtl::EncodeJPEG(pixels, kBackgroundQuality);
    p.TileWidth = pixels.Width;
    p.TileHeight = pixels.Height;
    p.Transparent = false;
    return p;
}

} // namespace

std::vector<oil::ThemePicture> SpaceThemePictures() {
    const int mw = kMenuButtonWidth, mh = kMenuButtonHeight;
    const int bw = kBarButtonWidth, bh = kBarButtonHeight;
    const auto menu = [&](const std::string& name, const std::string& label, State state) {
        return Png(name, Button(mw, mh, label, state));
    };
    const auto bar = [&](const std::string& name, const std::string& label, State state) {
        return Png(name, Button(bw, bh, label, state));
    };
    // The answers sit on the panel and are drawn over a frame that is not cleared, so they
    // are painted onto the panel itself: opaque, and seamless with it.
    const rtl::TPixels panel = DialogPanel(kPanelWidth, kPanelHeight, "Are you sure?");
    const auto answer = [&](const std::string& name, Point at, const std::string& label,
                            State state) {
        return Png(name,
                   ButtonOn(Crop(panel, at.X - kPanel.X, at.Y - kPanel.Y, bw, bh), label, state));
    };

    std::vector<oil::ThemePicture> pictures(kThemeRoleCount);
    pictures[rWall] = Png("wall.png", Wall(kCell));
    pictures[rPusher] = Png("pusher.png", Pusher(kCell));
    pictures[rZone] = Png("zone.png", Zone(kCell));
    pictures[rCrate] = Png("crate.png", Crate(kCell));
    pictures[rEditBox] = Png("edit-box.png", EditBox(kEditWidth, kEditHeight));
    pictures[rTickOff] = Png("tick-off.png", TickBox(kTickSize, false));
    pictures[rTickOn] = Png("tick-on.png", TickBox(kTickSize, true));
    pictures[rOptionsScreen] = Jpeg("options-screen.jpg", OptionsScreen());
    pictures[rLevelScreen] = Jpeg("level-screen.jpg", LevelScreen());
    pictures[rDepth16On] =
        Png("16-bit-on.png", DepthButton(kDepthWidth, kDepthHeight, "16-bit", true));
    pictures[rNewGame] = menu("new-game.png", "New game", State::Normal);
    pictures[rNewGameOther] = menu("new-game-over.png", "New game", State::Other);
    pictures[rFont] =
        Png("font.png",
            FontSheet(kFontCellWidth, kFontCellHeight, kFontBaseline, kFontColumns, kFontRows),
            kFontCellWidth, kFontCellHeight);
    pictures[rLoad] = menu("load.png", "Load", State::Normal);
    pictures[rLoadOther] = menu("load-over.png", "Load", State::Other);
    pictures[rOptions] = menu("options.png", "Options", State::Normal);
    pictures[rOptionsOther] = menu("options-over.png", "Options", State::Other);
    pictures[rExit] = menu("exit.png", "Exit", State::Normal);
    pictures[rExitOther] = menu("exit-over.png", "Exit", State::Other);
    pictures[rYes] = answer("yes.png", kYes, "Yes", State::Normal);
    pictures[rYesOther] = answer("yes-over.png", kYes, "Yes", State::Other);
    pictures[rNo] = answer("no.png", kNo, "No", State::Normal);
    pictures[rNoOther] = answer("no-over.png", kNo, "No", State::Other);
    pictures[rDialog] = Png("dialog.png", panel);
    pictures[rMenuScreen] = Jpeg("menu-screen.jpg", MenuScreen());
    pictures[rCreditsScreen] = Jpeg("credits-screen.jpg", CreditsScreen());
    pictures[rCredits] = menu("credits.png", "Credits", State::Normal);
    pictures[rCreditsOther] = menu("credits-over.png", "Credits", State::Other);
    pictures[rBack] = bar("back.png", "Back", State::Normal);
    pictures[rBackOther] = bar("back-over.png", "Back", State::Other);
    pictures[rUndo] = bar("undo.png", "Undo (U)", State::Normal);
    pictures[rUndoOther] = bar("undo-over.png", "Undo (U)", State::Other);
    pictures[rRestart] = bar("restart.png", "Restart", State::Normal);
    pictures[rRestartOther] = bar("restart-over.png", "Restart", State::Other);
    pictures[rGameScreen] = Jpeg("game-screen.jpg", GameScreen());
    pictures[rDepth16Off] =
        Png("16-bit-off.png", DepthButton(kDepthWidth, kDepthHeight, "16-bit", false));
    pictures[rDepth32On] =
        Png("32-bit-on.png", DepthButton(kDepthWidth, kDepthHeight, "32-bit", true));
    pictures[rDepth32Off] =
        Png("32-bit-off.png", DepthButton(kDepthWidth, kDepthHeight, "32-bit", false));
    pictures[rOkOther] = bar("ok-over.png", "OK", State::Other);
    pictures[rOk] = bar("ok.png", "OK", State::Normal);
    return pictures;
}

std::string SpaceThemeIni() {
    std::ostringstream ini;
    ini << "[Space]\n";
    ini << "Rotation=1\n";
    for (int i = 0; i < 5; ++i) {
        ini << "Button" << i << "X=" << kMenuButtonPlaces[i].X << "\n";
        ini << "Button" << i << "Y=" << kMenuButtonPlaces[i].Y << "\n";
    }
    return ini.str();
}

} // namespace art
