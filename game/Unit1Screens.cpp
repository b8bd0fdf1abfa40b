// The screens built from widgets: the main menu, the in-game bar, the confirmation dialog, the
// level selection with the progress file, the options screen with Config.ini.
#include "game/CollectionFile.h"
#include "game/PlaySettings.h"
#include "game/ProgressFile.h"
#include "game/ScreenLayout.h"
#include "game/Unit1.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/IniFiles.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/Streams.h"
#include "platform/win/Application.h"

#include <filesystem>

// ---- Building screens -------------------------------------------------------------------------

TArvexGUIList* TForm1::NewScreenList() {
    // The previous screen's list is empty by now; a click on it may still be being handled.
    if (State.ScreenList)
        State.ScreenList->Retire();
    State.ScreenList = new TArvexGUIList(ArvexGUI1);
    State.ScreenList->BringToFront();
    return State.ScreenList;
}

TArvexButton* TForm1::AddButton(TArvexGUIList* list, TThemeRole normal, TThemeRole other,
                                layout::Point at, const rtl::TNotifyEvent& onClick) {
    auto* button = new TArvexButton(list);
    button->SetImage(0, Picture(normal));
    button->SetPattern(0, 0);
    for (int slot = 1; slot <= 3; ++slot) {
        button->SetImage(slot, Picture(other));
        button->SetPattern(slot, 0);
    }
    button->OnClick = onClick;
    button->Caption.clear();
    button->X = at.X;
    button->Y = at.Y;
    return button;
}

namespace {

void SizeLike(TArvexButton* button, TImageListItem* picture) {
    button->Width = picture->PictureWidth;
    button->Height = picture->PictureHeight;
}

} // namespace

void TForm1::CreateMenuGui() {
    TArvexGUIList* list = NewScreenList();
    const TThemeRole normal[kMenuButtons] = {rNewGame, rLoad, rOptions, rCredits, rExit};
    const TThemeRole other[kMenuButtons] = {rNewGameOther, rLoadOther, rOptionsOther, rCreditsOther,
                                            rExitOther};
    const rtl::TNotifyEvent handlers[kMenuButtons] = {
        [this](rtl::TObject* s) { ChangeToGame(s); },
        [this](rtl::TObject* s) { ChangeToLoad(s); },
        [this](rtl::TObject* s) { ChangeToOptions(s); },
        [this](rtl::TObject* s) { ChangeToCredits(s); },
        [this](rtl::TObject* s) { CreateAreYouShure(s); },
    };
    for (int k = 0; k < kMenuButtons; ++k) {
        const TCellPos pos = State.MenuButtonPos[static_cast<size_t>(k)];
        TArvexButton* button = AddButton(list, normal[k], other[k], {pos.X, pos.Y}, handlers[k]);
        SizeLike(button, Picture(rNewGameOther));
        State.Menu.Buttons[static_cast<size_t>(k)] = button;
    }
}

void TForm1::CreateGameGui() {
    TArvexGUIList* list = NewScreenList();
    AddBoardPad(list);
    State.Bar.Undo =
        AddButton(list, rUndo, rUndoOther, layout::kUndo, [this](rtl::TObject* s) { doUndo(s); });
    SizeLike(State.Bar.Undo, Picture(rUndo));
    State.Bar.Restart = AddButton(list, rRestart, rRestartOther, layout::kRestart,
                                  [this](rtl::TObject* s) { restartlevel(s); });
    SizeLike(State.Bar.Restart, Picture(rRestart));
    State.Bar.Back = AddButton(list, rBack, rBackOther, layout::kGameBack,
                               [this](rtl::TObject* s) { CreateAreYouShure(s); });
    SizeLike(State.Bar.Back, Picture(rBack));
}

// ---- The confirmation dialog ------------------------------------------------------------------

void TForm1::CreateAreYouShure(rtl::TObject*) {
    StopWalk();
    if (State.DialogList)
        State.DialogList->Retire();
    State.DialogList = new TArvexGUIList(ArvexGUI1);
    State.DialogList->BringToFront();
    TArvexGUIList* list = State.DialogList;
    State.Dialog.Panel = AddButton(list, rDialog, rDialog, layout::kPanel, nullptr);
    SizeLike(State.Dialog.Panel, Picture(rDialog));
    rtl::TNotifyEvent yes;
    if (State.ScreenState == ssGame)
        yes = [this](rtl::TObject* s) { ChangeToMenu(s); };
    else
        yes = [this](rtl::TObject* s) { doHalt(s); };
    State.Dialog.Yes = AddButton(list, rYes, rYesOther, layout::kYes, yes);
    SizeLike(State.Dialog.Yes, Picture(rYes));
    State.Dialog.No =
        AddButton(list, rNo, rNoOther, layout::kNo, [this](rtl::TObject* s) { NoClick(s); });
    SizeLike(State.Dialog.No, Picture(rNo));
    State.DialogOpen = true;
    // The screen underneath is not drawn while the dialog is open; it takes no clicks either.
    // Its button under the resting pointer would otherwise still be the hovered one, and a
    // click without a move would reach it: hover is worked out afresh, on the dialog alone.
    if (State.ScreenList)
        State.ScreenList->Enabled = false;
    ArvexGUI1->ResetPointer();
    ArvexGUI1->MouseMove();
}

void TForm1::NoClick(rtl::TObject*) {
    const TFramePause pause(ArvexTimer1);
    State.DialogList->RetireWidgets();
    State.DialogOpen = false;
    if (State.ScreenList)
        State.ScreenList->Enabled = true;
    ArvexGUI1->MouseMove();
}

// ---- Menu, credits and game -------------------------------------------------------------------

void TForm1::ChangeToMenu(rtl::TObject*) {
    const TFramePause pause(ArvexTimer1);
    ClearAll();
    CreateMenuGui();
    State.ScreenState = ssMenu;
}

void TForm1::ChangeToCredits(rtl::TObject*) {
    const TFramePause pause(ArvexTimer1);
    State.ScreenState = ssCredits;
    // The menu's widgets stay in their list, undrawn; they must not be clickable meanwhile.
    if (State.ScreenList)
        State.ScreenList->Enabled = false;
    ArvexGUI1->ResetPointer();
}

void TForm1::ChangeToGame(rtl::TObject* sender) {
    const TFramePause pause(ArvexTimer1);
    if (sender == State.Menu.Buttons[0]) {
        ClearAll();
        StartLevel(FirstLevel());
    } else if (State.Load.LevelEdit && State.Collection) {
        StartTypedCollectionLevel(State.Load.LevelEdit->Text);
    } else if (State.Load.LevelEdit) {
        const std::string typed = State.Load.LevelEdit->Text;
        int32_t number = 0;
        // The file test uses the text as typed, the load its number; text that is not a decimal
        // number starts nothing.
        if (rtl::FileExists("./levels/level" + typed + ".sal") && rtl::TryStrToInt(typed, number)) {
            ClearAll();
            StartLevel(number);
        }
    }
}

// ---- Level selection and the progress file ----------------------------------------------------

std::string TForm1::ExistingFileName(const char* readName, const char* written) {
    const std::string found = rtl::ResolvePath(readName);
    return rtl::FileExists(found) || rtl::DirectoryExists(found) ? found : written;
}

std::string TForm1::ProgressFileName() {
    return ExistingFileName(kProgressReadName, kProgressFile);
}

bool TForm1::ReadProgress() {
    const std::string file = ProgressFileName();
    try {
        if (!rtl::FileExists(file) && !rtl::DirectoryExists(file))
            return RecordWin(0); // a first start: the file, with no level won yet
        rtl::TFileStream stream(file, rtl::fmOpenRead);
        State.Progress = ReadProgressBytes(stream);
        return true;
    } catch (const rtl::Exception& e) {
        if (win::Application)
            win::Application->ShowException(e);
        return false;
    }
}

bool TForm1::RecordWin(int32_t level) {
    // Another copy of the game may have won levels since this one read the file: the mark goes
    // into what the file holds now, under its lock, never over it from memory.
    try {
        rtl::UpdateFileAtomic(ProgressFileName(), kProgressSize, [&](std::vector<uint8_t>& bytes) {
            rtl::TMemoryStream held;
            held.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
            held.SetPosition(0);
            TProgress progress = ReadProgressBytes(held);
            if (level >= 1)
                progress[static_cast<size_t>(level - 1)] = 1;
            bytes.assign(progress.begin(), progress.end());
            State.Progress = progress;
        });
        return true;
    } catch (const rtl::Exception& e) {
        if (win::Application)
            win::Application->ShowException(e);
        return false;
    }
}

void TForm1::ChangeToLoad(rtl::TObject*) {
    const TFramePause pause(ArvexTimer1);
    ReadProgress();
    if (State.Collection)
        ReadCollectionProgress();
    ReadRecords();
    FindListedKeys();
    ClearAll();
    CreateLoadGui();
    State.ScreenState = ssLoad;
}

void TForm1::CreateLoadGui() {
    TArvexGUIList* list = NewScreenList();
    State.Load.Go = AddButton(list, rLoad, rLoadOther, layout::kGo,
                              [this](rtl::TObject* s) { ChangeToGame(s); });
    SizeLike(State.Load.Go, Picture(rLoad));
    State.Load.Back = AddButton(list, rBack, rBackOther, layout::kLoadBack,
                                [this](rtl::TObject* s) { ChangeToMenu(s); });
    SizeLike(State.Load.Back, Picture(rBack));
    auto* edit = new TArvexEdit(list);
    for (int slot = 0; slot <= 2; ++slot) {
        edit->SetImage(slot, Picture(rEditBox));
        edit->SetPattern(slot, 0);
    }
    edit->FontColor = 0xFF000000;
    edit->Enabled = true;
    edit->TextMargin = 2;
    edit->Width = layout::kEditWidth;
    edit->Height = layout::kEditHeight;
    // Three characters for the game's own levels, as many as the collection's numbers have.
    edit->MaxLength =
        State.Collection ? static_cast<int>(std::to_string(State.Collection->Size()).size()) : 3;
    edit->Caret = "_";
    edit->X = layout::kLevelEdit.X;
    edit->Y = layout::kLevelEdit.Y;
    State.Load.LevelEdit = edit;
}

// ---- Options --------------------------------------------------------------------------------

void TForm1::ChangeToOptions(rtl::TObject*) {
    const TFramePause pause(ArvexTimer1);
    ClearAll();
    CreateOptionsGui();
    OptionsCheck(State.Options.MusicBox);
    OptionsCheck(State.Options.AntialiasBox);
    OptionsCheck(State.Options.FullScreenBox);
    // The depth button checked last shows as selected: the one of the depth in use, not always
    // the 16-bit one, which would show 16 bits while the game runs (and OK saves) 32.
    if (ArvexScreen1->bpp() == 16) {
        OptionsCheck(State.Options.Depth32);
        OptionsCheck(State.Options.Depth16);
    } else {
        OptionsCheck(State.Options.Depth16);
        OptionsCheck(State.Options.Depth32);
    }
    State.ScreenState = ssOptions;
}

void TForm1::CreateOptionsGui() {
    TArvexGUIList* list = NewScreenList();
    TOptionsWidgets& o = State.Options;
    o.Ok = AddButton(list, rOk, rOkOther, layout::kOk, [this](rtl::TObject* s) { okClick(s); });
    SizeLike(o.Ok, Picture(rOk));
    o.Back = AddButton(list, rBack, rBackOther, layout::kOptionsBack,
                       [this](rtl::TObject* s) { ChangeToMenu(s); });
    SizeLike(o.Back, Picture(rBack));
    const auto change = [this](rtl::TObject* s) { OptionsChange(s); };
    const auto option = [&](layout::Point at, int w, int h) {
        TArvexButton* b = new TArvexButton(list);
        b->Caption.clear();
        b->OnClick = change;
        b->X = at.X;
        b->Y = at.Y;
        b->Width = w;
        b->Height = h;
        return b;
    };
    using layout::kDepthHeight, layout::kDepthWidth, layout::kTickSize;
    o.MusicBox = option(layout::kMusicBox, kTickSize, kTickSize);
    o.AntialiasBox = option(layout::kAntialiasBox, kTickSize, kTickSize);
    o.FullScreenBox = option(layout::kFullScreenBox, kTickSize, kTickSize);
    o.Depth32 = option(layout::kDepth32, kDepthWidth, kDepthHeight);
    o.Depth16 = option(layout::kDepth16, kDepthWidth, kDepthHeight);
}

void TForm1::OptionsCheck(TArvexButton* Button) {
    const TFramePause pause(ArvexTimer1);
    const auto show = [this](TArvexButton* b, TThemeRole picture) {
        if (!b)
            return;
        for (int slot = 0; slot <= 3; ++slot) {
            b->SetImage(slot, Picture(picture));
            b->SetPattern(slot, 0);
        }
    };
    TOptionsWidgets& o = State.Options;
    if (Button == o.MusicBox) {
        show(o.MusicBox, State.MusicOn ? rTickOn : rTickOff);
    } else if (Button == o.FullScreenBox) {
        show(o.FullScreenBox, ArvexScreen1->FullScreen ? rTickOn : rTickOff);
    } else if (Button == o.AntialiasBox) {
        show(o.AntialiasBox, ArvexScreen1->Antialias ? rTickOn : rTickOff);
    } else if (Button == o.Depth32) {
        show(o.Depth32, rDepth32On);
        show(o.Depth16, rDepth16Off);
    } else if (Button == o.Depth16) {
        show(o.Depth32, rDepth32Off);
        show(o.Depth16, rDepth16On);
    }
}

void TForm1::OptionsChange(rtl::TObject* sender) {
    auto* button = dynamic_cast<TArvexButton*>(sender);
    TOptionsWidgets& o = State.Options;
    if (button == o.MusicBox) {
        if (State.MusicOn) {
            State.MusicOn = false;
        } else {
            State.MusicOn = true;
            try {
                if (ArvexMusic1->Songs()->Count() > 0)
                    ArvexMusic1->Songs()->Items(0)->Play();
            } catch (...) {
                // The box must show the setting even when the song would not start.
                OptionsCheck(button);
                throw;
            }
        }
    } else if (button == o.AntialiasBox) {
        ArvexScreen1->SetAntialias(!ArvexScreen1->Antialias);
    } else if (button == o.FullScreenBox) {
        ArvexScreen1->ToggleFullScreen();
    } else if (button == o.Depth32) {
        ArvexScreen1->Setbpp(32);
    } else if (button == o.Depth16) {
        ArvexScreen1->Setbpp(16);
    }
    OptionsCheck(button);
}

void TForm1::okClick(rtl::TObject* sender) {
    if (sender != State.Options.Ok)
        return;
    const TFramePause pause(ArvexTimer1);
    WriteOptions();
    ClearAll();
    if (LoadTheme(false)) {
        ArvexImageList1->LoadTextures();
        // The font's glyph tables belong to the picture it was built from, which is new now.
        CreateFont();
    }
    // A theme that cannot be used leaves the pictures in use: the game goes on with them.
    CreateMenuGui();
    State.ScreenState = ssMenu;
}

void TForm1::WriteOptions() {
    try {
        rtl::TIniFile& ini = *State.ConfigIni;
        ini.WriteBool("Options", "Music", State.MusicOn);
        ini.WriteBool("Options", "Antialiasing", ArvexScreen1->Antialias);
        ini.WriteBool("Options", "Full", ArvexScreen1->FullScreen);
        ini.WriteInteger("Options", "Depth", ArvexScreen1->bpp());
        // Set only in the file, kept as read; written so the player finds them there.
        WritePlaySettings(ini, State.Play);
        // The key is there only once a collection was played (going back to the own levels
        // empties it), so settings without one stay as they were.
        if (State.Collection)
            ini.WriteString("Options", "Collection", State.Collection->Path);
    } catch (const rtl::Exception& e) {
        if (win::Application)
            win::Application->ShowException(e);
    }
}
