// Levels and the board's sprites, moves and pushing, the step animation, the win test and the
// win handling, and undo.
#include "game/CollectionFile.h"
#include "game/ScreenLayout.h"
#include "game/Unit1.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/Streams.h"
#include "platform/win/Application.h"

#include <algorithm>
#include <cstring>

namespace {

using layout::kCell;
using layout::kStepSize;

// Pusher angles for the four directions while rotation is on.
float AngleFor(int32_t dx, int32_t dy) {
    if (dx > 0)
        return 0;
    if (dy > 0)
        return 90;
    if (dx < 0)
        return 180;
    return 270;
}

// The step in the common move notation: lower case walks, upper case pushes.
char MoveLetter(int32_t dx, int32_t dy, bool push) {
    const char walk = dx < 0 ? 'l' : dx > 0 ? 'r' : dy < 0 ? 'u' : 'd';
    return push ? static_cast<char>(walk - 'a' + 'A') : walk;
}

} // namespace

// ---- Levels ---------------------------------------------------------------------------------

void TForm1::LoadLevel(int32_t Number) {
    if (State.Collection) {
        ReadCollectionLevel(Number);
    } else {
        const std::string fileName = "./levels/Level" + std::to_string(Number) + ".sal";
        ReadLevelRecord(fileName);
        CheckLevel(fileName);
    }
    EndStep();
    State.LevelNumber = Number;
    State.LevelKey = LevelKey(State.Level);
    CreateGameGui();
    PlaceLevelSprites();
    State.UndoIndex = 0;
    State.MoveLog.clear();
    ProcUndo();
    StartAssist();
}

void TForm1::ReadLevelRecord(const std::string& fileName) {
    rtl::TFileStream file(fileName, rtl::fmOpenRead);
    if (file.Size() > kMaxLevelFileSize)
        throw rtl::EFOpenError("Cannot open file \"" + fileName + "\". It is " +
                               rtl::FormatByteSize(file.Size()) +
                               ", more than a level file can be (" +
                               rtl::FormatByteSize(kMaxLevelFileSize) + " at most).");
    // A short file fills only its length; the rest of the record keeps what it held.
    TLevelData level = State.Level;
    file.Read(&level, sizeof level);
    std::memcpy(&State.Level, &level, sizeof level);
}

void TForm1::PlaceLevelSprites() {
    const auto place = [this](TSprite* sprite, int32_t column, int32_t row, TThemeRole role) {
        sprite->SetX(static_cast<float>(column * kCell));
        sprite->SetY(static_cast<float>(row * kCell));
        sprite->SetImage(Picture(role));
    };
    for (int c = 0; c < kBoardColumns; ++c)
        for (int r = 0; r < kBoardRows; ++r)
            if (State.Level.Cells[c][r] == ccWall)
                place(new TWall(ArvexSprite1), c, r, rWall);

    State.HeroCellX = State.Level.HeroX;
    State.HeroCellY = State.Level.HeroY;
    State.HeroSprite = new THero(ArvexSprite1);
    place(State.HeroSprite, State.HeroCellX, State.HeroCellY, rPusher);
    State.HeroSprite->SetZ(4);
    State.HeroSprite->CenterX = 0.5f;
    State.HeroSprite->CenterY = 0.5f;

    State.BoxSprites.fill(nullptr);
    State.ZoneSprites.fill(nullptr);
    for (size_t i = 0; i < static_cast<size_t>(State.Level.BoxCount); ++i) {
        State.BoxSprites[i] = new TBox(ArvexSprite1);
        place(State.BoxSprites[i], State.Level.Boxes[i].X, State.Level.Boxes[i].Y, rCrate);
        State.BoxSprites[i]->SetZ(3);
        State.ZoneSprites[i] = new TZone(ArvexSprite1);
        place(State.ZoneSprites[i], State.Level.Zones[i].X, State.Level.Zones[i].Y, rZone);
        State.ZoneSprites[i]->SetZ(2);
    }
}

void TForm1::CheckLevel(const std::string& fileName) const {
    // The board code indexes the cell table with these values; a file that breaks them is
    // refused rather than trusted.
    const std::string fault = LevelFault(State.Level);
    if (!fault.empty())
        throw rtl::Exception("The level file \"" + fileName + "\" is damaged: " + fault);
}

void TForm1::StartLevel(int32_t number) {
    try {
        LoadLevel(number);
        State.ScreenState = ssGame;
    } catch (const rtl::Exception& e) {
        if (win::Application)
            win::Application->ShowException(e);
        ClearAll();
        CreateMenuGui();
        State.ScreenState = ssMenu;
    }
}

void TForm1::ClearAll() {
    State.Won = false;
    for (int i = 0; i < ArvexSprite1->Count(); ++i)
        ArvexSprite1->Items(i)->Kill();
    State.HeroSprite = nullptr;
    State.BoxSprites.fill(nullptr);
    State.ZoneSprites.fill(nullptr);
    EndStep();
    // Forgotten even when there was no widget to take off.
    for (TArvexGUIList* list : {State.ScreenList, State.DialogList})
        if (list)
            list->RetireWidgets();
    State.DialogOpen = false;
    ArvexGUI1->ResetPointer();
    ClearAssist();
}

void TForm1::restartlevel(rtl::TObject*) {
    const TFramePause pause(ArvexTimer1);
    ClearAll();
    StartLevel(State.LevelNumber);
}

// ---- Moves ----------------------------------------------------------------------------------

void TForm1::ArvexInput1Keyboard(rtl::TObject*) {
    const TKeyboard* keys = ArvexInput1->Keyboard();
    const bool escape = keys->JustPressed.Contains(kbEscape);

    if (escape && !State.DialogOpen && State.ScreenState == ssMenu)
        CreateAreYouShure(nullptr);
    if (State.ScreenState == ssLoad && !State.DialogOpen) {
        if (keys->JustPressed.Contains(kbPageUp) || keys->JustPressed.Contains(kbLeft))
            ChangePage(-1);
        if (keys->JustPressed.Contains(kbPageDown) || keys->JustPressed.Contains(kbRight))
            ChangePage(1);
        if (keys->JustPressed.Contains(kbHome) && State.Collection) {
            const TFramePause pause(ArvexTimer1);
            CloseCollection();
            ReadProgress();
            ClearAll();
            CreateLoadGui();
        }
    }
    if (escape && (State.ScreenState == ssLoad || State.ScreenState == ssCredits)) {
        const TFramePause pause(ArvexTimer1);
        ClearAll();
        CreateMenuGui();
        State.ScreenState = ssMenu;
    }
    if (escape && State.ScreenState == ssGame && !State.DialogOpen && State.Assist.Selected) {
        // Escape first lets go of a picked object; the next one opens the dialog.
        DropSelection();
    } else if (escape && State.ScreenState == ssGame && !State.DialogOpen) {
        const TFramePause pause(ArvexTimer1);
        CreateAreYouShure(nullptr);
        State.ScreenState = ssGame;
    }
    if (State.ScreenState != ssGame)
        return;
    if (!keys->JustPressed.Empty())
        StopWalk();
    if (keys->JustPressed.Contains(kbUndo))
        doUndo(nullptr);
    if (keys->JustPressed.Contains(kbRedo))
        Redo();
    if (keys->JustPressed.Contains(kbHint))
        AskHint();
    if (keys->Held.Contains(kbLeft) && !State.Moving)
        TryStep(-1, 0);
    if (keys->Held.Contains(kbRight) && !State.Moving)
        TryStep(1, 0);
    if (keys->Held.Contains(kbUp) && !State.Moving)
        TryStep(0, -1);
    if (keys->Held.Contains(kbDown) && !State.Moving)
        TryStep(0, 1);
}

void TForm1::TryStep(int32_t dx, int32_t dy) {
    if (!State.HeroSprite)
        return;
    const int32_t x = State.HeroCellX;
    const int32_t y = State.HeroCellY;
    // Outside the board reads as wall.
    const auto cell = [&](int32_t c, int32_t r) {
        return OnBoard(c, r) ? State.Level.Cells[c][r] : ccWall;
    };
    const int32_t t = cell(x + dx, y + dy);
    const bool push = t == ccBox;
    if (t == ccWall)
        return;
    if (push) {
        const int32_t b = cell(x + 2 * dx, y + 2 * dy);
        if (b == ccBox || b == ccWall)
            return;
        // A box code with no listed object is still pushed through the cells, with no sprite.
        State.PushedBox = 0;
        for (int i = 0; i < State.Level.BoxCount; ++i) {
            TCellPos box = State.Level.Boxes[i];
            if (box.X == x + dx && box.Y == y + dy) {
                State.PushedBox = i + 1;
                box.X += dx;
                box.Y += dy;
                State.Level.Boxes[i] = box;
                break;
            }
        }
    }
    ++State.UndoIndex;
    // The same step as the next one undone keeps what is left to redo; any other cuts it off.
    const char letter = MoveLetter(dx, dy, push);
    const size_t at = static_cast<size_t>(State.UndoIndex) - 1;
    if (!State.Play.Redo || at >= State.MoveLog.size() || State.MoveLog[at] != letter) {
        State.MoveLog.resize(at);
        State.MoveLog += letter;
    }
    State.Assist.FastStep = false;
    if (State.Rotation)
        State.HeroSprite->Angle = AngleFor(dx, dy);
    move(kStepSize * dx, kStepSize * dy);
    State.HeroStepX = kStepSize * dx;
    State.HeroStepY = kStepSize * dy;
    State.HeroCellX = x + dx;
    State.HeroCellY = y + dy;
    if (push) {
        if (State.PushedBox > 0) {
            Boxmove(State.PushedBox, kStepSize * dx, kStepSize * dy);
            State.BoxStepX = kStepSize * dx;
            State.BoxStepY = kStepSize * dy;
        }
        State.Level.Cells[x + dx][y + dy] = ccFloor;
        State.Level.Cells[x + 2 * dx][y + 2 * dy] = ccBox;
    }
    ProcUndo();
    AssistStepTaken();
}

void TForm1::move(int32_t DX, int32_t DY) {
    State.Moving = true;
    if (State.HeroSprite) {
        State.HeroSprite->SetX(State.HeroSprite->X + static_cast<float>(DX));
        State.HeroSprite->SetY(State.HeroSprite->Y + static_cast<float>(DY));
    }
    ++State.StepCount;
}

void TForm1::Boxmove(int32_t Index, int32_t DX, int32_t DY) {
    State.BoxMoving = true;
    if (Index < 1 || Index > kMaxBoxes)
        return;
    TBox* box = State.BoxSprites[static_cast<size_t>(Index - 1)];
    if (!box)
        return;
    box->SetX(box->X + static_cast<float>(DX));
    box->SetY(box->Y + static_cast<float>(DY));
}

void TForm1::EndStep() {
    State.Moving = false;
    State.BoxMoving = false;
    State.StepCount = 0;
}

bool TForm1::Won() {
    int32_t covered = 0;
    for (int i = 0; i < State.Level.BoxCount; ++i) {
        const TCellPos zone = State.Level.Zones[i];
        if (State.Level.Cells[zone.X][zone.Y] == ccBox)
            ++covered;
    }
    if (covered == State.Level.BoxCount)
        State.Won = true;
    return State.Won;
}

void TForm1::HandleWin() {
    const TFramePause pause(ArvexTimer1);
    const int32_t level = State.LevelNumber;
    // Every win counts for the records, the last level's too, whether the counters show or not.
    KeepRecord();
    ClearAll();
    if (State.Collection) {
        RecordCollectionWin(level);
        StartLevel(State.Collection->NextPlayable(level));
    } else if (level >= kListedLevels) {
        StartLevel(1);
    } else {
        RecordWin(level);
        StartLevel(level + 1);
    }
}

// ---- Undo -----------------------------------------------------------------------------------

void TForm1::ProcUndo() {
    // One entry per position: those played, and past them the ones still to redo (the move log
    // is as long as the entries past the first).
    State.UndoHistory.resize(std::max(static_cast<size_t>(State.UndoIndex), State.MoveLog.size()) +
                             1);
    TUndoEntry& entry = State.UndoHistory[static_cast<size_t>(State.UndoIndex)];
    entry.HeroCellX = State.HeroCellX;
    entry.HeroCellY = State.HeroCellY;
    entry.Angle = State.HeroSprite ? State.HeroSprite->Angle : 0;
    for (int i = 0; i < State.Level.BoxCount; ++i) {
        const TCellPos box = State.Level.Boxes[i];
        entry.BoxX[i] = box.X;
        entry.BoxY[i] = box.Y;
    }
    std::memcpy(entry.Cells, State.Level.Cells, sizeof entry.Cells);
}

void TForm1::doUndo(rtl::TObject*) {
    if (State.UndoHistory.empty() || !State.HeroSprite)
        return;
    const TFramePause pause(ArvexTimer1);
    // A step still under way would carry the restored sprites off their cells.
    EndStep();
    if (State.UndoIndex >= 1)
        --State.UndoIndex;
    const TUndoEntry& entry = State.UndoHistory[static_cast<size_t>(State.UndoIndex)];
    State.HeroCellX = entry.HeroCellX;
    State.HeroCellY = entry.HeroCellY;
    State.HeroSprite->SetX(static_cast<float>(State.HeroCellX * kCell));
    State.HeroSprite->SetY(static_cast<float>(State.HeroCellY * kCell));
    for (int i = 0; i < State.Level.BoxCount; ++i) {
        State.Level.Boxes[i] = TCellPos{entry.BoxX[i], entry.BoxY[i]};
        if (TBox* box = State.BoxSprites[static_cast<size_t>(i)]) {
            box->SetX(static_cast<float>(entry.BoxX[i] * kCell));
            box->SetY(static_cast<float>(entry.BoxY[i] * kCell));
        }
    }
    std::memcpy(State.Level.Cells, entry.Cells, sizeof entry.Cells);
    State.HeroSprite->Angle = entry.Angle;
    State.Assist.Steps.clear();
    State.Assist.Fast = false;
    AssistStepTaken();
}
