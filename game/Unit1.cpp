#include "game/Unit1.h"

#include "game/BuiltinPictures.h"
#include "game/PlaySettings.h"
#include "game/ScreenLayout.h"
#include "platform/dinput/KeyCodes.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/IniFiles.h"
#include "platform/rtl/Streams.h"
#include "platform/win/Application.h"
#include "platform/win/Dialogs.h"

#include <algorithm>
#include <array>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// The keyboard's stored key assignment, as the form keeps it: 32 little-endian key codes, one
// per bit, 0 for a bit no key drives.
constexpr std::array<uint8_t, TKeyboard::AssignsPropertySize> StoredKeyboardAssigns() {
    const std::pair<TKeyBit, uint8_t> keys[] = {
        {kbUp, dinput::DIK_UP},         {kbDown, dinput::DIK_DOWN},
        {kbLeft, dinput::DIK_LEFT},     {kbRight, dinput::DIK_RIGHT},
        {kbEscape, dinput::DIK_ESCAPE}, {kbUndo, dinput::DIK_U},
        {kbReturn, dinput::DIK_RETURN}, {kbRedo, dinput::DIK_R},
        {kbHint, dinput::DIK_H},        {kbEscapeAgain, dinput::DIK_ESCAPE},
        {kbPageUp, dinput::DIK_PRIOR},  {kbPageDown, dinput::DIK_NEXT},
        {kbHome, dinput::DIK_HOME},     {kbLeftAlt, dinput::DIK_LMENU},
    };
    std::array<uint8_t, TKeyboard::AssignsPropertySize> assigns{};
    for (const auto& [bit, code] : keys)
        assigns[static_cast<size_t>(bit) * 4] = code;
    return assigns;
}

static_assert(TForm1::kListedLevels <= 2 * layout::kLevelsPerColumn,
              "the level selection lists its levels in two columns");

// The form's stored values, applied the way loading the form would apply them.

void StoreScreenValues(TArvexScreen& screen) {
    screen.Name = "ArvexScreen1";
    screen.Pool = plManaged;
    screen.ScaleX = 1.0f;
    screen.ScaleY = 1.0f;
    screen.SetRed(255);
    screen.SetGreen(255);
    screen.SetBlue(255);
    screen.SetAlpha(255);
    screen.Width = 800;
    screen.Height = 600;
    screen.BackBufferAccess = false;
    screen.BBCount = 0;
}

void StoreTimerValues(TArvexTimer& timer) {
    timer.Name = "ArvexTimer1";
    timer.SetEnabled(false);
    timer.SetTargetFPS(0);
    timer.SetMinFPS(10);
    timer.SetMaxFPS(110);
    timer.SetFPSWarningFrames(10);
    timer.SetLossyMode(false);
}

void StoreFontValues(TArvexBitmapFont& font) {
    font.Name = "ArvexBitmapFont1";
    font.SetArvexImageIndex(0);
    font.SetRed(255);
    font.SetGreen(255);
    font.SetBlue(255);
    font.SetAlpha(255);
    font.LineSpace = 10;
    font.ScaleX = 1.0f;
    font.ScaleY = 1.0f;
    font.Spacing = 0;
    font.PositionMode = pmTopLeft;
}

// The 34 built-in pictures, in the same encoding as a theme file.
void StoreBuiltinPictures(TArvexImageList& images) {
    images.Name = "ArvexImageList1";
    rtl::TMemoryStream stream;
    const std::vector<uint8_t>& builtin = BuiltinPictureStream();
    stream.WriteBuffer(builtin.data(), static_cast<int64_t>(builtin.size()));
    images.ImageList().LoadFromStream(stream);
}

void StoreInputValues(TArvexInput& input) {
    input.Name = "ArvexInput1";
    input.Keyboard()->SetEnabled(true);
    input.Keyboard()->SetForegroundOnly(true);
    input.Keyboard()->SetExclusive(false);
    rtl::TMemoryStream assigns;
    constexpr auto stored = StoredKeyboardAssigns();
    assigns.WriteBuffer(stored.data(), static_cast<int64_t>(stored.size()));
    assigns.SetPosition(0);
    input.Keyboard()->ReadBinaryProperty(TKeyboard::AssignsPropertyName, assigns);
    input.Mouse()->SetEnabled(false);
    input.Joystick()->SetEnabled(false);
}

} // namespace

TForm1::TForm1(rtl::TComponent* owner) : win::TForm(owner) {
    SetCaption("Kosmorra");
    // The window's client area matches the back buffer, so a windowed game shows it pixel for
    // pixel.
    SetClientSize(layout::kScreenWidth, layout::kScreenHeight);

    ArvexScreen1 = rtl::Create<TArvexScreen>(this);
    StoreScreenValues(*ArvexScreen1);

    ArvexTimer1 = rtl::Create<TArvexTimer>(this);
    StoreTimerValues(*ArvexTimer1);
    ArvexTimer1->OnTimer = [this](rtl::TObject* sender) { ArvexTimer1Timer(sender); };

    ArvexBitmapFont1 = rtl::Create<TArvexBitmapFont>(this);
    StoreFontValues(*ArvexBitmapFont1);
    ArvexBitmapFont1->SetArvexScreen(ArvexScreen1);

    ArvexImageList1 = rtl::Create<TArvexImageList>(this);
    StoreBuiltinPictures(*ArvexImageList1);
    ArvexImageList1->SetArvexScreen(ArvexScreen1);
    // The font refers to the list, which exists only now.
    ArvexBitmapFont1->SetArvexImageList(ArvexImageList1);

    ArvexSprite1 = rtl::Create<TArvexSprite>(this);
    ArvexSprite1->Name = "ArvexSprite1";

    ArvexInput1 = rtl::Create<TArvexInput>(this);
    StoreInputValues(*ArvexInput1);
    ArvexInput1->OnKeyboard = [this](rtl::TObject* sender) { ArvexInput1Keyboard(sender); };

    ArvexGUI1 = rtl::Create<TArvexGUI>(this);
    ArvexGUI1->Name = "ArvexGUI1";
    ArvexGUI1->ArvexScreen = ArvexScreen1;
    ArvexGUI1->ArvexBitmapFont = ArvexBitmapFont1;

    ArvexMusic1 = rtl::Create<TArvexMusic>(this);
    ArvexMusic1->Name = "ArvexMusic1";

    OnCreate = [this](rtl::TObject* sender) { FormCreate(sender); };
}

// ---- Start-up -------------------------------------------------------------------------------

void TForm1::FormCreate(rtl::TObject*) {
    // The program's own cursor, as application cursor 5.
    const TBuiltinCursor& cursor = BuiltinCursor();
    win::RegisterCursor(5, win::CreateCursorFromPixels(cursor.Pixels.Argb.data(),
                                                       cursor.Pixels.Width, cursor.Pixels.Height,
                                                       cursor.HotSpotX, cursor.HotSpotY));
    SetCursor(5);

    // The player's settings, kept open for the whole run.
    const std::string folder = rtl::ProgramDir();
    State.ConfigIni = std::make_unique<rtl::TIniFile>(folder + "Config.ini");
    ReportUnreadable(*State.ConfigIni);
    State.MusicOn = State.ConfigIni->ReadBool("Options", "Music", true);
    State.Play = ReadPlaySettings(*State.ConfigIni);
    ArvexTimer1->SetLowPower(State.Play.LowPower);

    // The theme's pictures come before the screen, so that the device's first textures are
    // the theme's own: the 34 built-in pictures, which the theme replaces anyway, are then never
    // decoded nor made into textures (that was more than half of the start-up's work). The rest
    // of the theme follows in its place below.
    State.ThemeName = State.ConfigIni->ReadString("Options", "Theme", "Space");
    if (!LoadTheme(true))
        return;

    InitializeScreen();
    StartSong();
    ReadThemeDescription(folder + "Themes/Space.ini");

    // Textures (made already with the device; this attaches them) and the font.
    ArvexImageList1->LoadTextures();
    CreateFont();

    // The marks already won, so that a win before the level selection is ever opened keeps them.
    ReadProgress();
    ReadRecords();
    OpenStartCollection();
    OnDropFile = [this](const std::string& path) { DropFile(path); };

    // The dialog's list, the menu, and the frame timer.
    State.DialogList = new TArvexGUIList(ArvexGUI1);
    CreateMenuGui();
    State.ScreenState = ssMenu;
    State.UndoIndex = 0;
    ArvexTimer1->SetEnabled(true);
}

void TForm1::InitializeScreen() {
    ArvexScreen1->SetWindowHandle(this);
    ArvexScreen1->Width = layout::kScreenWidth;
    ArvexScreen1->Height = layout::kScreenHeight;
    ArvexScreen1->FullScreen = State.ConfigIni->ReadBool("Options", "Full", true);
    // The depth is known before the device is made, so a full screen starts in the colour depth
    // the player chose rather than in the screen's initial 16 bits until the next reset.
    ArvexScreen1->Setbpp(State.ConfigIni->ReadInteger("Options", "Depth", 32));
    ArvexScreen1->Initialize();
    ArvexScreen1->SetAntialias(State.ConfigIni->ReadBool("Options", "Antialiasing", true));
    ArvexScreen1->Setbpp(State.ConfigIni->ReadInteger("Options", "Depth", 32));
}

// The song starts whatever the option says; the first tick stops it when it is off.
void TForm1::StartSong() {
    ArvexMusic1->OpenAll();
    TSongListItem* song = ArvexMusic1->Songs()->Add();
    song->LoadFromFile("./Music/Sound.mp3");
    song->Open();
    song->Play();
}

void TForm1::ReadThemeDescription(const std::string& fileName) {
    State.ThemeIni = std::make_unique<rtl::TIniFile>(fileName);
    ReportUnreadable(*State.ThemeIni);
    State.Rotation = State.ThemeIni->ReadBool(State.ThemeName, "Rotation", false);
    for (int i = 0; i < kMenuButtons; ++i) {
        const std::string key = "Button" + std::to_string(i);
        State.MenuButtonPos[static_cast<size_t>(i)].X =
            State.ThemeIni->ReadInteger(State.ThemeName, key + "X", 0);
        State.MenuButtonPos[static_cast<size_t>(i)].Y =
            State.ThemeIni->ReadInteger(State.ThemeName, key + "Y", 0);
    }
}

void TForm1::ReportUnreadable(const rtl::TIniFile& ini) {
    // Said once here, since every read of the file would meet the same problem.
    const std::string problem = ini.ReadProblem();
    if (!problem.empty())
        win::MessageBox(this, problem + "\nThe game goes on with the default settings.", "Kosmorra",
                        win::MB_OK | win::MB_ICONWARNING);
}

bool TForm1::LoadTheme(bool starting) {
    const std::string file = "./Themes/" + State.ThemeName + ".OIL";
    // Looked at first without reading: a pipe must not block, and a file of gigabytes must not
    // be read whole only to be refused.
    std::string why;
    const int fd = rtl::OpenRegularFile(rtl::ResolvePath(file), O_RDONLY, why);
    struct stat st {};
    const bool readable = fd >= 0 && ::fstat(fd, &st) == 0;
    if (fd >= 0)
        ::close(fd);
    why.clear();

    // The theme is read and checked aside, and replaces the pictures in use only when all of
    // it can be used.
    TImageListCollection theme(ArvexImageList1);
    if (readable && st.st_size > kMaxThemeFileSize) {
        why = "it is " + rtl::FormatByteSize(st.st_size) + ", more than a theme file can be (" +
              rtl::FormatByteSize(kMaxThemeFileSize) + " at most)";
    } else {
        theme.LoadFromFile(file); // says itself when the file cannot be read or is malformed
        if (!readable)
            why = "the file is missing or cannot be read";
        else if (theme.Count() < kThemeRoleCount)
            // Without a picture for every role the game has nothing to show.
            why = "it holds " + std::to_string(theme.Count()) + " pictures, and the game needs " +
                  std::to_string(kThemeRoleCount);
        else
            why = theme.Problem(ArvexImageList1->MaxTextureSide(),
                                std::max(kMinThemeDecodedSize, kThemeDecodedRatio * st.st_size));
    }
    if (why.empty()) {
        ArvexImageList1->ImageList().Exchange(theme);
        return true; // the old pictures and their textures go with theme
    }

    const std::string what =
        "The theme \"" + State.ThemeName + "\" cannot be used: " + file + ": " + why;
    if (starting) {
        // At start-up the list holds only the built-in pictures: too few to draw the screens.
        win::MessageBox(this, what + ".\nThe game will now exit.", "Kosmorra",
                        win::MB_OK | win::MB_ICONERROR);
        if (win::Application) {
            win::Application->ExitCode = 1;
            win::Application->Terminate();
        }
    } else if (readable) {
        // A file that could not be read was reported by the image list already.
        win::MessageBox(this, what + ".\nThe pictures in use stay.", "Kosmorra",
                        win::MB_OK | win::MB_ICONWARNING);
    }
    return false;
}

void TForm1::CreateFont() {
    ArvexBitmapFont1->SetArvexImageIndex(rFont);
    ArvexBitmapFont1->SetCharacters(kFontCharacters);
    ArvexBitmapFont1->Initialize();
}

// ---- The frame ------------------------------------------------------------------------------

void TForm1::ArvexTimer1Timer(rtl::TObject*) {
    ArvexInput1->Update();
    switch (State.ScreenState) {
    case ssMenu:
        doMenu();
        break;
    case ssGame:
        doGame();
        break;
    case ssLoad:
        doLoad();
        break;
    case ssOptions:
        doOptions();
        break;
    case ssCredits:
        doCredits();
        break;
    }
    if (ArvexMusic1->Songs()->Count() > 0) {
        if (!State.MusicOn)
            ArvexMusic1->Songs()->Items(0)->Stop();
        else
            ArvexMusic1->CheckLoops();
    }
}

void TForm1::doMenu() {
    ArvexScreen1->BeginScene();
    if (State.DialogOpen) {
        // The dialog draws over the previous frame: no clear.
        State.DialogList->Draw();
    } else {
        ArvexScreen1->Clear(0, 0, 0, 255);
        Picture(rMenuScreen)->Draw(0, 0, 0);
        ArvexGUI1->Draw();
    }
    ArvexScreen1->EndScene();
}

void TForm1::doGame() {
    ArvexScreen1->BeginScene();
    if (State.DialogOpen) {
        State.DialogList->Draw();
        ArvexScreen1->EndScene();
        return;
    }
    ArvexScreen1->Clear(0, 0, 0, 255);
    Picture(rGameScreen)->Draw(0, 0, 0);
    if (State.Won) {
        HandleWin();
        if (State.ScreenState != ssGame) {
            // The next level could not be loaded: the menu has taken over.
            ArvexScreen1->EndScene();
            return;
        }
    }
    ArvexSprite1->FreeDead();
    ArvexSprite1->Draw();
    DrawAssist();
    ArvexGUI1->Draw();
    DrawCounters();
    ArvexScreen1->EndScene();

    // The step animation (a queued step of the mouse or the hint makes several moves a frame),
    // then the win test once no step is running, then the next queued step.
    const int moves = State.Assist.FastStep ? layout::kFastMovesPerFrame : 1;
    for (int i = 0; i < moves && State.Moving; ++i) {
        move(State.HeroStepX, State.HeroStepY);
        if (State.BoxMoving)
            Boxmove(State.PushedBox, State.BoxStepX, State.BoxStepY);
        if (State.StepCount >= layout::kStepsPerCell)
            EndStep();
    }
    if (!State.Moving)
        Won();
    RunAssist();
}

void TForm1::doLoad() {
    ArvexScreen1->BeginScene();
    ArvexScreen1->Clear(0, 0, 0, 255);
    Picture(rLevelScreen)->Draw(0, 0, 0);
    ArvexGUI1->Draw();
    if (State.Collection) {
        DrawCollectionPage();
        ArvexScreen1->EndScene();
        return;
    }
    for (int n = 1; n <= kListedLevels; ++n) {
        const bool completed = State.Progress[static_cast<size_t>(n - 1)] != 0;
        const layout::Rgb colour =
            completed ? layout::kCompletedColour : layout::kIncompletedColour;
        ArvexBitmapFont1->SetRed(colour.R);
        ArvexBitmapFont1->SetBlue(colour.B);
        ArvexBitmapFont1->SetGreen(colour.G);
        const int column = (n - 1) / layout::kLevelsPerColumn;
        const int row = (n - 1) % layout::kLevelsPerColumn;
        const int y = layout::kFirstRowTop + layout::kRowPitch * row;
        const char* status = completed ? "Completed" : "Incompleted";
        ArvexBitmapFont1->TextOut(layout::kStatusLeft[column], y, status, 0);
        if (completed)
            DrawListedBest(n,
                           layout::kStatusLeft[column] + ArvexBitmapFont1->TextWidth(status) +
                               layout::kListedBestGap,
                           y);
    }
    ArvexScreen1->EndScene();
}

void TForm1::doOptions() {
    ArvexScreen1->BeginScene();
    ArvexScreen1->Clear(0, 0, 0, 255);
    Picture(rOptionsScreen)->Draw(0, 0, 0);
    ArvexGUI1->Draw();
    ArvexScreen1->EndScene();
}

void TForm1::doCredits() {
    ArvexScreen1->BeginScene();
    ArvexScreen1->Clear(0, 0, 0, 255);
    Picture(rCreditsScreen)->Draw(0, 0, 0);
    ArvexScreen1->EndScene();
}

void TForm1::doHalt(rtl::TObject*) {
    win::SendMessage(this, win::WM_CLOSE, 0, 0);
}
