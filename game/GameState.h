// The game's one state record. The main form owns exactly one TGameState for the program's
// lifetime and every game method reads and writes it; the form itself holds nothing else but its
// engine components.
#pragma once

#include "game/LevelFormat.h"
#include "game/RecordsFile.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace rtl {
class TIniFile;
}
namespace puzzle {
class Board;
class PushRoutes;
} // namespace puzzle
class THintWorker;
class TArvexGUIList;
class TArvexButton;
class TArvexEdit;
class THero;
class TBox;
class TZone;
struct TCollection;

constexpr int kProgressSize = 100;
constexpr int kMenuButtons = 5;

// The screen the frame tick serves.
enum TScreenState : uint8_t {
    ssMenu = 0,
    ssGame = 1,
    ssLoad = 2,
    ssOptions = 3,
    ssCredits = 4,
};
static_assert(sizeof(TScreenState) == 1);

// One position of the board, 213 consecutive 32-bit words.
struct TUndoEntry {
    int32_t HeroCellX;
    int32_t HeroCellY;
    int32_t BoxX[kMaxBoxes];
    int32_t BoxY[kMaxBoxes];
    float Angle; // the pusher sprite's rotation, degrees
    int32_t Cells[kBoardColumns][kBoardRows];
};
static_assert(sizeof(TUndoEntry) == 213 * 4, "an undo entry is 213 words, 852 bytes");
static_assert(offsetof(TUndoEntry, Angle) == 20 * 4);
static_assert(offsetof(TUndoEntry, Cells) == 21 * 4);

// The widgets of the screens, each referenced while its screen is built. The GUI owns them.
struct TMenuWidgets {
    std::array<TArvexButton*, kMenuButtons> Buttons{}; // new game, load, options, credits, exit
};

struct TBarWidgets {
    TArvexButton* Undo = nullptr;
    TArvexButton* Restart = nullptr;
    TArvexButton* Back = nullptr;
};

struct TDialogWidgets {
    TArvexButton* Panel = nullptr;
    TArvexButton* Yes = nullptr;
    TArvexButton* No = nullptr;
};

struct TLoadWidgets {
    TArvexButton* Go = nullptr;
    TArvexButton* Back = nullptr;
    TArvexEdit* LevelEdit = nullptr;
};

struct TOptionsWidgets {
    TArvexButton* Ok = nullptr;
    TArvexButton* Back = nullptr;
    TArvexButton* MusicBox = nullptr;
    TArvexButton* AntialiasBox = nullptr;
    TArvexButton* FullScreenBox = nullptr;
    TArvexButton* Depth32 = nullptr;
    TArvexButton* Depth16 = nullptr;
};

// The comforts added beside the original play, each switched in Config.ini's [Play] section.
// All on but LowPower, with which the frame timer sleeps until the next frame instead of
// spinning.
struct TPlaySettings {
    bool Mouse = true;     // clicks walk the pusher and push objects
    bool Counters = true;  // moves, pushes and the level's best drawn on the board
    bool Redo = true;      // steps undone can be made again
    bool Hint = true;      // the solver suggests the next push
    bool DeadCells = true; // objects that can no longer reach a zone are tinted
    bool LowPower = false;
};

// What the mouse, redo, the hint and the dead-position tint keep between frames.
struct TAssistState {
    TAssistState();
    ~TAssistState();
    TAssistState(const TAssistState&) = delete;
    TAssistState& operator=(const TAssistState&) = delete;

    // Steps still to play, one after another as each step ends, in the move notation: a walk
    // or a push route of the mouse, the hint's walk and push (Fast), or steps to redo.
    std::string Steps;
    bool Fast = false;
    bool FastStep = false; // the step under way came from a Fast queue
    // The object picked with the mouse, the cells it can be pushed to and the routes there.
    bool Selected = false;
    TCellPos Object{};
    std::vector<TCellPos> Targets;
    std::unique_ptr<puzzle::PushRoutes> Routes;
    // The level's dead squares and distances, made when it starts.
    std::unique_ptr<puzzle::Board> Board;
    std::array<bool, kMaxBoxes> Lost{}; // per listed object: tinted
    // The level's start and the solution the shipped levels keep for it, which the hint
    // follows; none for other levels.
    puzzle::Level Start;
    std::string Known;
    // The hint being searched, and searches given up that have not noticed yet.
    std::unique_ptr<THintWorker> Hint;
    std::vector<std::unique_ptr<THintWorker>> Cancelled;
    std::string Note; // a line for the player on the board, empty for none
};

struct TGameState {
    TGameState();
    ~TGameState();
    TGameState(const TGameState&) = delete;
    TGameState& operator=(const TGameState&) = delete;

    // Screens and widgets.
    TScreenState ScreenState = ssMenu;
    bool DialogOpen = false;
    TArvexGUIList* ScreenList = nullptr;
    TArvexGUIList* DialogList = nullptr;
    TMenuWidgets Menu;
    TBarWidgets Bar;
    TDialogWidgets Dialog;
    TLoadWidgets Load;
    TOptionsWidgets Options;

    // The level being played.
    TLevelData Level{};
    int32_t LevelNumber = 0;
    int32_t HeroCellX = 0;
    int32_t HeroCellY = 0;
    THero* HeroSprite = nullptr;
    std::array<TBox*, kMaxBoxes> BoxSprites{};
    std::array<TZone*, kMaxBoxes> ZoneSprites{};

    // Moves and the step animation.
    bool Won = false;
    bool Moving = false;
    bool BoxMoving = false;
    int32_t StepCount = 0;
    int32_t HeroStepX = 0;
    int32_t HeroStepY = 0;
    int32_t BoxStepX = 0;
    int32_t BoxStepY = 0;
    int32_t PushedBox = 0; // 1 .. BoxCount

    // Undo.
    int32_t UndoIndex = 0;
    std::vector<TUndoEntry> UndoHistory;
    // The step that led to each undo entry, in the common move notation (l, u, r, d for walks,
    // L, U, R, D for pushes): MoveLog[i] took entry i to entry i + 1. Its first UndoIndex letters
    // are the moves played since the level started; past them lies what redo can step again,
    // until a different step cuts it off.
    std::string MoveLog;

    TPlaySettings Play;
    TAssistState Assist;

    // Best records: the board key of the level being played (taken when it is loaded, before a
    // move changes the record), the records file as last read or written, and the keys of the
    // levels the selection lists (empty for a level file that cannot be read).
    std::string LevelKey;
    TRecords Records;
    std::array<std::string, kProgressSize> ListedKeys;

    // Progress: completion mark of level n at index n - 1.
    std::array<uint8_t, kProgressSize> Progress{};

    // Options and theme.
    bool MusicOn = false;
    std::unique_ptr<rtl::TIniFile> ConfigIni;
    std::string ThemeName;
    std::unique_ptr<rtl::TIniFile> ThemeIni;
    bool Rotation = false;
    std::array<TCellPos, kMenuButtons> MenuButtonPos{};

    // The collection being played (game/CollectionFile.h); none: the game's own levels. The
    // level selection shows its page LoadPage (from 0), 50 levels to a page.
    std::unique_ptr<TCollection> Collection;
    int32_t LoadPage = 0;
};
