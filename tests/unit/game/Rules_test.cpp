// The game's rules on the real form, headless on the software device: levels of the test's own
// making in a folder standing for the program's, keys sent as the window system's, one loop pass
// per frame on the virtual clock.
#include "game/Unit1.h"
#include "platform/rtl/Files.h"
#include "platform/win/Dialogs.h"
#include "platform/win/SyntheticInput.h"
#include "tests/support/Headless.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

using testing_support::HeadlessApp;
using testing_support::TempDir;

static bool operator==(const TCellPos& a, const TCellPos& b) {
    return a.X == b.X && a.Y == b.Y;
}

static std::ostream& operator<<(std::ostream& out, const TCellPos& p) {
    return out << "(" << p.X << ", " << p.Y << ")";
}

namespace {

namespace fs = std::filesystem;

// Rows in the common notation: # wall, - floor, $ object, . zone, * object on a zone, @ pusher.
// Cells beyond the rows are walls. Zones come in the order found unless given.
TLevelData MakeLevel(const std::vector<std::string>& rows, std::vector<TCellPos> zones = {}) {
    TLevelData level{};
    std::vector<TCellPos> boxes;
    const bool listZones = zones.empty();
    for (int r = 0; r < static_cast<int>(rows.size()); ++r)
        for (int c = 0; c < static_cast<int>(rows[static_cast<size_t>(r)].size()); ++c) {
            const char ch = rows[static_cast<size_t>(r)][static_cast<size_t>(c)];
            level.Cells[c][r] = ch == '#' ? ccWall : (ch == '$' || ch == '*') ? ccBox : ccFloor;
            if (ch == '$' || ch == '*')
                boxes.push_back({c, r});
            if (listZones && (ch == '.' || ch == '*'))
                zones.push_back({c, r});
            if (ch == '@') {
                level.HeroX = c;
                level.HeroY = r;
            }
        }
    level.BoxCount = static_cast<int32_t>(boxes.size());
    for (size_t i = 0; i < boxes.size(); ++i) {
        level.Boxes[i] = boxes[i];
        level.Zones[i] = zones[i];
    }
    return level;
}

// Four objects: one free to push right, one with an object behind it, one with a wall behind it.
const std::vector<std::string> kPushes = {
    "##########", //
    "#@$-$$---#", //
    "#-$#-----#", //
    "#---....-#", //
    "##########",
};

// An object on each side of the pusher, room behind each, the zones out of the way.
const std::vector<std::string> kCross = {
    "#######", //
    "#.---.#", //
    "#--$--#", //
    "#-$@$-#", //
    "#--$--#", //
    "#.---.#", //
    "#######",
};

// Two objects, both zones on the cell right of the first: one push covers both.
const std::vector<std::string> kSharedZone = {
    "######", //
    "#@$--#", //
    "#--$-#", //
    "######",
};

class GameRules : public ::testing::Test {
protected:
    GameRules() {
        const fs::path runtime = fs::current_path(); // the staged run-time tree
        fs::create_directory_symlink(runtime / "Themes", Root.Path / "Themes");
        fs::create_directory_symlink(runtime / "Music", Root.Path / "Music");
        fs::create_directory(Root.Path / "levels");
        std::ofstream(Root.File("Config.ini")) << "[Options]\nMusic=0\nFull=0\n";
        rtl::SetProgramDir(Root.Path.string());
        EXPECT_TRUE(rtl::ChangeToProgramDir());
    }

    ~GameRules() override {
        rtl::SetProgramDir("");
        rtl::ChangeToProgramDir();
    }

    void WriteLevel(int number, const TLevelData& level) {
        std::ofstream out(Root.File("levels/Level" + std::to_string(number) + ".sal"),
                          std::ios::binary);
        out.write(reinterpret_cast<const char*>(&level), sizeof level);
    }

    // The form as the program makes it, on the software device, showing the menu.
    void Start() {
        H.Clock.Ticks = H.Clock.Frequency; // past the GUI's 10 ms since the last mouse move
        Form = new TForm1(&H.App);
        Form->ArvexScreen1->RenderMode = rmSoftware;
        Form->AfterConstruction();
        H.App.MainForm = Form;
        H.App.ProcessMessages();
        Form->Show();
        win::SendFocus(*Form, true); // no window manager gives it
        H.App.ProcessMessages();
        ASSERT_NE(Form->ArvexScreen1->Device(), nullptr);
    }

    void Play(int number) {
        Form->State.LevelNumber = number;
        Form->restartlevel(nullptr);
        ASSERT_EQ(Form->State.ScreenState, ssGame);
        Frames(1);
    }

    void Frames(int count) {
        for (int i = 0; i < count; ++i) {
            H.Clock.AdvanceMilliseconds(10);
            H.App.Step();
        }
    }

    // A key held for one frame and seen released in the next (or a second press would not
    // count as one), then the frames a step takes.
    void Press(const std::string& key) {
        win::SendKey(*Form, key, true);
        H.App.ProcessMessages();
        Frames(1);
        win::SendKey(*Form, key, false);
        H.App.ProcessMessages();
        Frames(1);
        for (int i = 0; i < 2 * layout::kStepsPerCell && Form->State.Moving; ++i)
            Frames(1);
    }

    TCellPos Pusher() const { return {Form->State.HeroCellX, Form->State.HeroCellY}; }
    TCellPos Box(int i) const { return Form->State.Level.Boxes[i]; }
    int32_t Cell(int c, int r) const { return Form->State.Level.Cells[c][r]; }
    size_t History() const { return Form->State.UndoHistory.size(); }

    TempDir Root;
    HeadlessApp H;
    TForm1* Form = nullptr;
};

} // namespace

TEST_F(GameRules, PushesMoveOneObjectIntoFreeCellsOnly) {
    WriteLevel(3, MakeLevel(kPushes));
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(Play(3));
    ASSERT_EQ(History(), 1u);

    Press("Right");
    EXPECT_EQ(Pusher(), (TCellPos{2, 1}));
    EXPECT_EQ(Box(0), (TCellPos{3, 1}));
    EXPECT_EQ(Cell(2, 1), ccFloor);
    EXPECT_EQ(Cell(3, 1), ccBox);
    EXPECT_FLOAT_EQ(Form->State.BoxSprites[0]->X, 3.0f * layout::kCell)
        << "the sprite ends on its cell";
    EXPECT_FLOAT_EQ(Form->State.HeroSprite->X, 2.0f * layout::kCell);
    EXPECT_EQ(History(), 2u);

    Press("Right"); // two objects in a row
    EXPECT_EQ(Pusher(), (TCellPos{2, 1}));
    EXPECT_EQ(Box(0), (TCellPos{3, 1}));
    EXPECT_EQ(Box(1), (TCellPos{4, 1}));

    Press("Left");
    Press("Down");
    Press("Right"); // a wall behind the object
    Press("Left");  // a wall
    EXPECT_EQ(Pusher(), (TCellPos{1, 2}));
    EXPECT_EQ(Box(3), (TCellPos{2, 2}));
    EXPECT_EQ(Cell(2, 2), ccBox);
    EXPECT_EQ(History(), 4u) << "blocked moves add no entry";
    EXPECT_FALSE(Form->State.Won);
}

// Each direction pushes its own way, cells, objects and sprites alike, and turns the pusher to
// face it (the theme turns it); a push straight back is refused by the wall behind.
TEST_F(GameRules, PushesGoEachOfTheFourWays) {
    WriteLevel(3, MakeLevel(kCross));
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(Play(3));
    ASSERT_TRUE(Form->State.Rotation);
    const struct {
        const char *Key, *Back;
        int Box;
        TCellPos Object;
        float Angle;
    } pushes[] = {
        {"Up", "Down", 0, {3, 1}, 270},
        {"Left", "Right", 1, {1, 3}, 180},
        {"Right", "Left", 2, {5, 3}, 0},
        {"Down", "Up", 3, {3, 5}, 90},
    };
    for (const auto& p : pushes) {
        SCOPED_TRACE(p.Key);
        const TCellPos from = Box(p.Box);
        Press(p.Key);
        EXPECT_EQ(Pusher(), from);
        EXPECT_EQ(Box(p.Box), p.Object);
        EXPECT_EQ(Cell(from.X, from.Y), ccFloor);
        EXPECT_EQ(Cell(p.Object.X, p.Object.Y), ccBox);
        EXPECT_FLOAT_EQ(Form->State.BoxSprites[static_cast<size_t>(p.Box)]->X,
                        static_cast<float>(p.Object.X * layout::kCell));
        EXPECT_FLOAT_EQ(Form->State.BoxSprites[static_cast<size_t>(p.Box)]->Y,
                        static_cast<float>(p.Object.Y * layout::kCell));
        EXPECT_FLOAT_EQ(Form->State.HeroSprite->X, static_cast<float>(from.X * layout::kCell));
        EXPECT_FLOAT_EQ(Form->State.HeroSprite->Y, static_cast<float>(from.Y * layout::kCell));
        EXPECT_FLOAT_EQ(Form->State.HeroSprite->Angle, p.Angle);
        Press(p.Key); // the wall behind the object
        EXPECT_EQ(Pusher(), from);
        Press(p.Back);
        EXPECT_EQ(Pusher(), (TCellPos{3, 3}));
    }
    EXPECT_FALSE(Form->State.Won);
}

TEST_F(GameRules, UndoStepsBackAcrossPushesToTheStartAndNoFurther) {
    const TLevelData start = MakeLevel(kPushes);
    WriteLevel(3, start);
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(Play(3));
    Press("Right"); // push
    Press("Down");  // the object below
    EXPECT_EQ(Form->State.MoveLog, "RD");
    Press("U");
    EXPECT_EQ(Pusher(), (TCellPos{2, 1}));
    EXPECT_EQ(Box(0), (TCellPos{3, 1}));
    Press("U"); // across the push: the object and both cell codes come back
    EXPECT_EQ(Pusher(), (TCellPos{1, 1}));
    EXPECT_EQ(Box(0), (TCellPos{2, 1}));
    EXPECT_EQ(Cell(2, 1), ccBox);
    EXPECT_EQ(Cell(3, 1), ccFloor);
    EXPECT_FLOAT_EQ(Form->State.BoxSprites[0]->X, 2.0f * layout::kCell);
    EXPECT_FLOAT_EQ(Form->State.HeroSprite->X, 1.0f * layout::kCell);
    Press("U"); // at the start: nothing changes
    EXPECT_EQ(Form->State.UndoIndex, 0);
    EXPECT_EQ(Pusher(), (TCellPos{1, 1}));
    EXPECT_EQ(std::memcmp(Form->State.Level.Cells, start.Cells, sizeof start.Cells), 0);

    EXPECT_EQ(Form->State.MoveLog, "RD") << "undo keeps the steps it took back";

    // A new step after an undo replaces the undone ones.
    Press("Down");
    EXPECT_EQ(History(), 2u);
    EXPECT_EQ(Form->State.UndoIndex, 1);
    EXPECT_EQ(Form->State.MoveLog, "d");
}

TEST_F(GameRules, TwoZonesOnOneCellAreBothCoveredByOneObjectAndTheWinIsMarked) {
    WriteLevel(7, MakeLevel(kSharedZone, {{3, 1}, {3, 1}}));
    WriteLevel(8, MakeLevel(kPushes));
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(Play(7));
    Press("Right");
    // The step has just ended: the win is seen in its last frame, the next level comes with the
    // next one.
    EXPECT_TRUE(Form->State.Won);
    EXPECT_EQ(Form->State.LevelNumber, 7);
    Frames(1);
    EXPECT_EQ(Form->State.LevelNumber, 8);
    EXPECT_EQ(Form->State.ScreenState, ssGame);
    EXPECT_FALSE(Form->State.Won);
    EXPECT_EQ(Form->State.Progress[6], 1);
    std::ifstream file(Root.File(TForm1::kProgressFile), std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file), {}};
    ASSERT_EQ(bytes.size(), 100u);
    EXPECT_EQ(bytes[6], 1);
    EXPECT_EQ(bytes[5] + bytes[7], 0);
}

TEST_F(GameRules, WinningLevelFiftyStartsLevelOneAndMarksNothing) {
    WriteLevel(50, MakeLevel(kSharedZone, {{3, 1}, {3, 1}}));
    WriteLevel(1, MakeLevel(kPushes));
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(Play(50));
    Press("Right");
    Frames(2);
    EXPECT_EQ(Form->State.LevelNumber, 1);
    EXPECT_EQ(Form->State.Progress[49], 0);
    EXPECT_EQ(Form->State.Progress[0], 0);
}

TEST_F(GameRules, ALevelListingTenObjectsIsRefusedAndTheMenuComesBack) {
    TLevelData level = MakeLevel(kPushes);
    level.BoxCount = 10;
    WriteLevel(4, level);
    ASSERT_NO_FATAL_FAILURE(Start());
    Form->State.LevelNumber = 4;
    Form->restartlevel(nullptr);
    EXPECT_EQ(Form->State.ScreenState, ssMenu);
    ASSERT_FALSE(win::RecordedMessageBoxes().empty());
    EXPECT_NE(win::RecordedMessageBoxes().back().Text.find("it lists 10 objects (0 to 9 are "
                                                           "possible)"),
              std::string::npos);
}

TEST_F(GameRules, TheComfortsSwitchedOffLeaveThePlayAsItWas) {
    WriteLevel(3, MakeLevel(kPushes));
    ASSERT_NO_FATAL_FAILURE(Start());
    Form->State.Play = {false, false, false, false, false, false};
    ASSERT_NO_FATAL_FAILURE(Play(3));

    Form->BoardMouseDown(0, 1 * layout::kCell + 32, 3 * layout::kCell + 32);
    Frames(1);
    EXPECT_EQ(Pusher(), (TCellPos{1, 1}));
    EXPECT_EQ(Form->State.Assist.Steps, "");

    // Undone steps are cut off by any step, the same one too, and R does nothing.
    Press("Down");
    Press("Down");
    Press("U");
    Press("U");
    Press("R");
    EXPECT_EQ(Pusher(), (TCellPos{1, 1}));
    Press("Down");
    EXPECT_EQ(History(), 2u);
    EXPECT_EQ(Form->State.MoveLog, "d");

    // Along the top wall, a row without a zone: lost, but not tinted.
    Press("Up");
    Press("Right");
    EXPECT_EQ(Box(0), (TCellPos{3, 1}));
    EXPECT_FALSE(Form->State.Assist.Lost[0]);
    EXPECT_EQ(Form->State.BoxSprites[0]->Green, 255);
    Press("H");
    EXPECT_EQ(Form->State.Assist.Hint, nullptr);
    EXPECT_EQ(Form->State.Assist.Note, "");
}

TEST_F(GameRules, AStepCancelsTheHintAndALostObjectIsTintedUntilUndo) {
    WriteLevel(3, MakeLevel({
                      "#######", //
                      "#@----#", //
                      "#--$--#", //
                      "#---.-#", //
                      "#######",
                  }));
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(Play(3));
    EXPECT_FALSE(Form->State.Assist.Lost[0]);

    Form->AskHint();
    EXPECT_NE(Form->State.Assist.Hint, nullptr);
    EXPECT_EQ(Form->State.Assist.Note, "Looking for a hint...");
    Press("Down");
    EXPECT_EQ(Pusher(), (TCellPos{1, 2}));
    EXPECT_EQ(Form->State.Assist.Hint, nullptr);
    EXPECT_EQ(Form->State.Assist.Steps, "");
    EXPECT_EQ(Form->State.Assist.Note, "");

    // Up against the top wall, whose row has no zone.
    for (const char* key : {"Down", "Right", "Right", "Up"})
        Press(key);
    EXPECT_EQ(Box(0), (TCellPos{3, 1}));
    EXPECT_TRUE(Form->State.Assist.Lost[0]);
    EXPECT_EQ(Form->State.BoxSprites[0]->Green, layout::kLostTint.G);
    Press("U");
    EXPECT_FALSE(Form->State.Assist.Lost[0]);
    EXPECT_EQ(Form->State.BoxSprites[0]->Green, 255);
}

TEST_F(GameRules, TheHintFollowsTheSolutionShippedForTheLevel) {
    // The solver would push the lower object first; the shipped solution takes the upper one.
    const TLevelData level = MakeLevel({
        "########", //
        "#@--$-.#", //
        "#---$-.#", //
        "########",
    });
    WriteLevel(3, level);
    std::ofstream(Root.File("levels/Solutions.txt")) << "; shipped\n0000000000000000 dRRR\n"
                                                     << LevelKey(level) << " rrRRllldrRR\n";
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(Play(3));
    EXPECT_EQ(Form->State.Assist.Known, "rrRRllldrRR");
    Form->AskHint();
    for (int i = 0; i < 200 && (Form->State.Assist.Hint || !Form->State.Assist.Steps.empty() ||
                                Form->State.Moving);
         ++i)
        Frames(1);
    EXPECT_EQ(Box(0), (TCellPos{5, 1}));
    EXPECT_EQ(Box(1), (TCellPos{4, 2}));
    EXPECT_EQ(Form->State.MoveLog, "rrR");

    // Another level, or no file: no known solution, and the hint searches.
    fs::remove(Root.File("levels/Solutions.txt"));
    ASSERT_NO_FATAL_FAILURE(Play(3));
    EXPECT_EQ(Form->State.Assist.Known, "");
}
