// The main form of the game: it owns the eight engine components and the one game state record,
// and its handlers are the game.
//
// Sections of the implementation:
//   Unit1.cpp         construction (the form's stored values), start-up, the frame tick, the five
//                     frame handlers, screen changes, doHalt
//   Unit1Board.cpp    levels and the board's sprites, moves and pushing, the step animation, the
//                     win test and win handling, undo
//   Unit1Screens.cpp  the menu, the in-game bar, the confirmation dialog, level selection and the
//                     progress file, the options screen and Config.ini
//   Unit1Records.cpp  the counters, the records file, the bests on the level selection
//   Unit1Mouse.cpp    the comforts beside the keys: clicks that walk and push, queued steps,
//                     redo, the hint, and the tint of objects that can no longer reach a zone
//   Unit1Collection.cpp  level collections in the common notation: opening one, its levels, its
//                     pages on the level selection and its progress file
#pragma once

#include "engine/display/ArvexImageList.h"
#include "engine/display/ArvexScreen.h"
#include "engine/gui/ArvexGUI.h"
#include "engine/gui/ArvexWidgets.h"
#include "engine/input/ArvexInput.h"
#include "engine/sprites/ArvexBitmapFont.h"
#include "engine/sprites/ArvexSprite.h"
#include "engine/timing/ArvexMusic.h"
#include "engine/timing/ArvexTimer.h"
#include "game/GameState.h"
#include "game/ScreenLayout.h"
#include "game/ThemeRoles.h"
#include "platform/win/Forms.h"

// The board's sprite classes: one class per kind of board object, nothing added.
class TWall : public TSprite {
public:
    using TSprite::TSprite;
};

class THero : public TSprite {
public:
    using TSprite::TSprite;
};

class TBox : public TSprite {
public:
    using TSprite::TSprite;
};

class TZone : public TSprite {
public:
    using TSprite::TSprite;
};

// Bits of the keyboard's assignment table the game binds keys to. Escape drives two bits; the
// game reads the first.
enum TKeyBit : int {
    kbUp = 0,
    kbDown = 1,
    kbLeft = 2,
    kbRight = 3,
    kbEscape = 4,
    kbUndo = 5, // U
    kbReturn = 6,
    kbRedo = 7, // R
    kbHint = 8, // H
    // The level selection's paging, far from the bits the game grew up with.
    kbPageUp = 20,
    kbPageDown = 21,
    kbHome = 22,
    kbEscapeAgain = 30,
    kbLeftAlt = 31,
};

// Stops the frame timer for the body of a handler that rebuilds what the tick draws, and starts
// it again on the way out, an exception included: a timer left off would freeze the game. It ends
// with the timer running whatever it found, as the game has always done: a pause inside another
// (OptionsCheck inside ChangeToOptions) starts the timer before the outer one ends.
class TFramePause {
public:
    explicit TFramePause(TArvexTimer* timer) : FTimer(timer) { FTimer->SetEnabled(false); }
    ~TFramePause() { FTimer->SetEnabled(true); }
    TFramePause(const TFramePause&) = delete;
    TFramePause& operator=(const TFramePause&) = delete;

private:
    TArvexTimer* FTimer;
};

class TForm1 : public win::TForm {
public:
    explicit TForm1(rtl::TComponent* owner);

    // Components, in the order the form creates them. The form owns them through the component
    // tree; these are plain references.
    TArvexScreen* ArvexScreen1 = nullptr;
    TArvexTimer* ArvexTimer1 = nullptr;
    TArvexBitmapFont* ArvexBitmapFont1 = nullptr;
    TArvexImageList* ArvexImageList1 = nullptr;
    TArvexSprite* ArvexSprite1 = nullptr;
    TArvexInput* ArvexInput1 = nullptr;
    TArvexGUI* ArvexGUI1 = nullptr;
    TArvexMusic* ArvexMusic1 = nullptr;

    TGameState State;

    // ---- Start-up and the frame -----------------------------------------------------------
    void FormCreate(rtl::TObject* sender);
    void CreateFont();
    void ArvexTimer1Timer(rtl::TObject* sender);
    void doMenu();
    void doGame();
    void doLoad();
    void doOptions();
    void doCredits();
    void doHalt(rtl::TObject* sender);

    // ---- Levels, moves, undo (Unit1Board.cpp) -----------------------------------------------
    void LoadLevel(int32_t Number);
    void ClearAll();
    void restartlevel(rtl::TObject* sender);
    void ArvexInput1Keyboard(rtl::TObject* sender);
    void move(int32_t DX, int32_t DY);
    void Boxmove(int32_t Index, int32_t DX, int32_t DY);
    bool Won();
    void ProcUndo();
    void doUndo(rtl::TObject* sender);

    // ---- The mouse, redo, the hint, dead positions (Unit1Mouse.cpp) --------------------------
    // A button pressed on the board at (x, y) in back-buffer pixels: 0 left, 1 right.
    void BoardMouseDown(int button, int x, int y);
    void DropSelection();
    // Stops a walk of the mouse or the hint after the step under way.
    void StopWalk();
    void Redo();
    void AskHint();

    // ---- Screens (Unit1Screens.cpp) ---------------------------------------------------------
    void CreateMenuGui();
    void CreateGameGui();
    void CreateAreYouShure(rtl::TObject* sender);
    void NoClick(rtl::TObject* sender);
    void ChangeToMenu(rtl::TObject* sender);
    void ChangeToCredits(rtl::TObject* sender);
    void ChangeToGame(rtl::TObject* sender);
    void ChangeToLoad(rtl::TObject* sender);
    void CreateLoadGui();
    void ChangeToOptions(rtl::TObject* sender);
    void CreateOptionsGui();
    void OptionsCheck(TArvexButton* Button);
    void OptionsChange(rtl::TObject* sender);
    void okClick(rtl::TObject* sender);
    void WriteOptions();

    // ---- Collections (Unit1Collection.cpp) --------------------------------------------------
    // Reads a collection and plays it from now on, remembered in Config.ini; false, with the
    // reason shown, when it cannot be read or holds nothing playable: then the game goes on with
    // what it played before.
    bool OpenCollection(const std::string& path);
    // Back to the game's own levels, remembered in Config.ini.
    void CloseCollection();
    // A file dropped on the window: opened, and its level selection shown.
    void DropFile(const std::string& path);
    void ChangePage(int32_t delta);

    // What the command line asks for at start-up: a collection's path, kOwnLevels, or empty for
    // the collection Config.ini remembers (if any). Set before the form is made.
    static inline std::string StartCollection;
    static constexpr const char* kOwnLevels = "--own";

    // The progress file's name as written and as read (one file whatever the letter case), and
    // the number of levels the selection screen lists.
    static constexpr const char* kProgressFile = "compleated.cmp";
    static constexpr const char* kProgressReadName = "Compleated.cmp";
    static constexpr const char* kRecordsFile = "records.txt";
    static constexpr int kListedLevels = 50;
    // Sizes no file of its kind comes near; larger ones are refused before they are read.
    static constexpr int64_t kMaxLevelFileSize = 64 << 10;
    static constexpr int64_t kMaxThemeFileSize = int64_t{256} << 20;
    // What a theme's pictures may take once decoded: 64 times the file, and 64 MB whatever the
    // file (four times what the Space theme takes). Real pictures, drawn or photographed, unpack
    // to far less than 64 times their size; a hostile one is made to unpack to far more, and
    // a small file must not cost gigabytes.
    static constexpr int64_t kThemeDecodedRatio = 64;
    static constexpr int64_t kMinThemeDecodedSize = int64_t{64} << 20;

private:
    // The levels the selection lists and the game counts: 50 of its own, or the collection's.
    int32_t LevelCount() const;
    bool LevelCompleted(int32_t number) const;
    // Opens what the command line or Config.ini names, at start-up.
    void OpenStartCollection();
    // The collection level's record in State.Level; raises when it cannot be played.
    void ReadCollectionLevel(int32_t number);
    // The first level a new game starts with.
    int32_t FirstLevel() const;
    // Starts a typed level of the collection, or says why it cannot be played.
    void StartTypedCollectionLevel(const std::string& typed);
    void ReadCollectionProgress();
    // As RecordWin, for the collection's own progress file.
    bool RecordCollectionWin(int32_t level);
    void WriteCollectionSetting();
    // The level selection's labels and page line for a collection.
    void DrawCollectionPage();

    // Loads a level, and on any failure (missing or damaged file) reports it and returns to the
    // menu with the timer running, instead of leaving a dead screen.
    void StartLevel(int32_t number);
    // Checks a freshly read level against what the board code relies on.
    void CheckLevel(const std::string& fileName) const;
    // Tries a step of the pusher in direction (dx, dy).
    void TryStep(int32_t dx, int32_t dy);
    // Stops a running step animation where it is; the sprites are placed on their cells by
    // whoever calls it.
    void EndStep();
    void HandleWin();

    // The comforts' side of the board's life (Unit1Mouse.cpp): a level starts, a step is taken
    // or undone, the board is cleared, a frame runs and draws.
    void StartAssist();
    void AssistStepTaken();
    void ClearAssist();
    void RunAssist();
    void DrawAssist();
    void UpdateLost();
    void CancelHint();
    // The board widget under the game screen's buttons that takes clicks on the board.
    void AddBoardPad(TArvexGUIList* list);
    // Reads a level file over the level record (a short file fills only its length).
    void ReadLevelRecord(const std::string& fileName);
    // The sprites of the level just read: walls, the pusher, objects and zones.
    void PlaceLevelSprites();
    // Start-up: the screen and its device as the settings ask, the song, and the theme's
    // description (rotation and the menu buttons' places).
    void InitializeScreen();
    void StartSong();
    void ReadThemeDescription(const std::string& fileName);

    // Reads the progress file into State.Progress (creating it with zeros when it is missing);
    // false, with the reason shown, when it cannot be read.
    bool ReadProgress();
    // Adds the mark of a won level (none for 0) to what the progress file holds now and writes
    // the result back whole, locked against other copies of the game; State.Progress becomes the
    // merged marks. False, with the reason shown, when the file cannot be read or replaced: it
    // is then left as it was.
    bool RecordWin(int32_t level);
    // The existing progress file the read finds (on a case-sensitive disk there may be two
    // spellings: the read's wins), or the written spelling when there is none yet.
    static std::string ProgressFileName();
    // The existing file the name finds whatever its letter case, or written when there is none.
    static std::string ExistingFileName(const char* readName, const char* written);

    // ---- Counters and records (Unit1Records.cpp) ----
    static std::string RecordsFileName();
    // Reads the records file into State.Records (none when it is missing); false, with the
    // reason shown, when it cannot be read.
    bool ReadRecords();
    // Merges the win just played (the move log's first UndoIndex letters) into the records file
    // as it is now, under its lock, and keeps the result in State.Records. False, with the reason
    // shown, when the file cannot be read or replaced: it is then left as it was.
    bool KeepRecord();
    // The board keys of the won levels the selection lists, by their place on the page (a
    // collection's page shows other levels than the first fifty).
    void FindListedKeys();
    void DrawCounters();
    // The best of the level listed at place 1..50 of the page, when it has one.
    void DrawListedBest(int32_t place, int32_t x, int32_t y);
    // Tells the player, once, that a settings file is there but cannot be read.
    void ReportUnreadable(const rtl::TIniFile& ini);
    // Loads the theme's picture file in place of the pictures in use; false, after saying what
    // is wrong, when it cannot be used: too large, unreadable, fewer pictures than the screens
    // draw, or a picture that is too large or does not decode. Then the pictures in use stay,
    // and when starting the game ends (it has none worth drawing yet).
    bool LoadTheme(bool starting);

    // Screen building helpers.
    TArvexGUIList* NewScreenList();
    TArvexButton* AddButton(TArvexGUIList* list, TThemeRole normal, TThemeRole other,
                            layout::Point at, const rtl::TNotifyEvent& onClick);

    TImageListItem* Picture(TThemeRole role) const { return ArvexImageList1->Items(role); }
};
