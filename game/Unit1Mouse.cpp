// The comforts beside the keys: a click on the board walks the pusher or picks an object and
// pushes it, queued steps play one after another, redo steps along what undo took back, the
// hint asks the solver on a worker thread, and objects that can no longer reach a zone are
// tinted. Each obeys its switch in State.Play; with all of them off the game is what it was.
#include "game/HintWorker.h"
#include "game/Position.h"
#include "game/ScreenLayout.h"
#include "game/Unit1.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Streams.h"
#include "puzzle/Board.h"
#include "puzzle/Deadlock.h"
#include "puzzle/Hint.h"
#include "puzzle/Notation.h"
#include "puzzle/Routes.h"

#include <algorithm>
#include <string_view>

namespace {

using layout::kCell;

void Direction(char move, int32_t& dx, int32_t& dy) {
    const puzzle::MoveStep step = puzzle::ReadMove(move);
    dx = step.DX;
    dy = step.DY;
}

void Tint(TSprite* sprite, const layout::Rgb& colour) {
    if (sprite->Red == colour.R && sprite->Green == colour.G && sprite->Blue == colour.B)
        return;
    sprite->SetRed(colour.R);
    sprite->SetGreen(colour.G);
    sprite->SetBlue(colour.B);
}

constexpr layout::Rgb kUntinted = {255, 255, 255};

// The solution shipped for a level, found by its board key; empty when there is none. The file
// is an aid: missing, unreadable or too large, the hint searches as for any other level, and a
// solution that does not solve the level is never followed.
std::string ShippedSolution(const std::string& key) {
    constexpr int64_t kMaxSolutionsFileSize = 1 << 20;
    try {
        const std::vector<uint8_t> bytes = rtl::ReadFileBytes(
            std::string("./levels/") + puzzle::kSolutionsFileName, kMaxSolutionsFileSize);
        return puzzle::KnownSolution(
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), key);
    } catch (const rtl::Exception&) {
        return {};
    }
}

} // namespace

// ---- The board's life -----------------------------------------------------------------------

void TForm1::AddBoardPad(TArvexGUIList* list) {
    // First in the list, so that the bar's buttons, added after it, lie on top of it.
    auto* pad = new TArvexGUIComponent(list);
    pad->X = 0;
    pad->Y = 0;
    pad->Width = kBoardColumns * kCell - 1;
    pad->Height = kBoardRows * kCell - 1;
    pad->OnMouseDown = [this](rtl::TObject*, int button, TShiftState, int x, int y) {
        BoardMouseDown(button, x, y);
    };
}

void TForm1::StartAssist() {
    ClearAssist();
    const puzzle::Level position = PositionOf(State.Level, State.HeroCellX, State.HeroCellY);
    State.Assist.Board = std::make_unique<puzzle::Board>(position);
    State.Assist.Start = position;
    State.Assist.Known = ShippedSolution(State.LevelKey);
    UpdateLost();
}

void TForm1::ClearAssist() {
    TAssistState& a = State.Assist;
    a.Steps.clear();
    a.Fast = false;
    a.FastStep = false;
    a.Selected = false;
    a.Targets.clear();
    a.Routes.reset();
    a.Lost.fill(false);
    a.Note.clear();
    CancelHint();
}

void TForm1::CancelHint() {
    TAssistState& a = State.Assist;
    if (a.Hint) {
        a.Hint->Cancel();
        a.Cancelled.push_back(std::move(a.Hint));
    }
}

void TForm1::AssistStepTaken() {
    // The position the hint was asked for, and the routes worked out for the pick, are gone.
    CancelHint();
    State.Assist.Note.clear();
    if (State.Assist.Selected)
        DropSelection();
    UpdateLost();
}

void TForm1::UpdateLost() {
    TAssistState& a = State.Assist;
    a.Lost.fill(false);
    if (State.Play.DeadCells && a.Board) {
        const puzzle::Level position = PositionOf(State.Level, State.HeroCellX, State.HeroCellY);
        const std::vector<puzzle::Cell> lost = puzzle::LostObjects(*a.Board, position);
        for (int i = 0; i < State.Level.BoxCount; ++i) {
            const TCellPos box = State.Level.Boxes[i];
            a.Lost[static_cast<size_t>(i)] =
                std::find(lost.begin(), lost.end(), puzzle::Cell{box.X, box.Y}) != lost.end();
        }
    }
    for (int i = 0; i < State.Level.BoxCount; ++i) {
        TBox* sprite = State.BoxSprites[static_cast<size_t>(i)];
        if (!sprite)
            continue;
        const TCellPos box = State.Level.Boxes[i];
        const bool picked = a.Selected && box.X == a.Object.X && box.Y == a.Object.Y;
        Tint(sprite, picked                           ? layout::kSelectedTint
                     : a.Lost[static_cast<size_t>(i)] ? layout::kLostTint
                                                      : kUntinted);
    }
}

// Once a frame, after the step animation and the win test: the hint's answer, then the next
// queued step once the last one has ended.
void TForm1::RunAssist() {
    TAssistState& a = State.Assist;
    std::erase_if(a.Cancelled, [](const std::unique_ptr<THintWorker>& w) { return w->Done(); });
    if (a.Hint && a.Hint->Done()) {
        const puzzle::Hint hint = a.Hint->Result();
        a.Hint.reset();
        a.Note.clear();
        switch (hint.Result) {
        case puzzle::Hint::Outcome::Push:
            a.Steps = hint.Moves;
            a.Fast = true;
            break;
        case puzzle::Hint::Outcome::NoSolution:
            a.Note = "No solution from here: undo (U) to go back";
            break;
        case puzzle::Hint::Outcome::GaveUp:
            a.Note = "No hint found in time";
            break;
        case puzzle::Hint::Outcome::Solved:
            break;
        }
    }
    if (State.Moving || State.Won || a.Steps.empty() || !State.HeroSprite)
        return;
    const char next = a.Steps.front();
    const bool fast = a.Fast;
    a.Steps.erase(0, 1);
    int32_t dx = 0, dy = 0;
    Direction(next, dx, dy);
    TryStep(dx, dy);
    a.Fast = fast && !a.Steps.empty();
    a.FastStep = fast;
    if (!State.Moving)
        a.Steps.clear(); // blocked: the board is not what the route was made for
}

void TForm1::DrawAssist() {
    const TAssistState& a = State.Assist;
    for (const TCellPos& t : a.Targets)
        Picture(rCrate)->DrawColored(t.X * kCell, t.Y * kCell, 0, 0, 0, 1, 1, layout::kTargetMark,
                                     false, false, -1, 0);
    if (a.Note.empty())
        return;
    ArvexBitmapFont1->SetRed(layout::kNoteColour.R);
    ArvexBitmapFont1->SetGreen(layout::kNoteColour.G);
    ArvexBitmapFont1->SetBlue(layout::kNoteColour.B);
    const int width = static_cast<int>(a.Note.size()) * layout::kFontCellWidth;
    ArvexBitmapFont1->TextOut((layout::kScreenWidth - width) / 2, layout::kNoteTop, a.Note, 0);
}

// ---- Input ----------------------------------------------------------------------------------

void TForm1::StopWalk() {
    if (State.Assist.Fast) {
        State.Assist.Steps.clear();
        State.Assist.Fast = false;
    }
}

void TForm1::DropSelection() {
    TAssistState& a = State.Assist;
    a.Selected = false;
    a.Targets.clear();
    a.Routes.reset();
    UpdateLost();
}

void TForm1::BoardMouseDown(int button, int x, int y) {
    if (!State.Play.Mouse || State.ScreenState != ssGame || State.DialogOpen || !State.HeroSprite ||
        State.Won)
        return;
    TAssistState& a = State.Assist;
    if (button == 1) {
        if (a.Selected)
            DropSelection();
        return;
    }
    if (button != 0 || x < 0 || y < 0)
        return;
    const int32_t column = x / kCell, row = y / kCell;
    if (!OnBoard(column, row))
        return;
    // Planned from where the step under way ends: the cells hold that already.
    const puzzle::Level position = PositionOf(State.Level, State.HeroCellX, State.HeroCellY);
    const puzzle::Cell cell{column, row};
    if (a.Selected) {
        const bool same = a.Object.X == column && a.Object.Y == row;
        const auto route = same ? std::nullopt : a.Routes->RouteTo(cell);
        const bool other = !same && State.Level.Cells[column][row] == ccBox;
        DropSelection();
        if (route) {
            CancelHint();
            a.Note.clear();
            a.Steps = *route;
            a.Fast = true;
        }
        if (!other)
            return;
    }
    if (State.Level.Cells[column][row] == ccBox) {
        StopWalk();
        a.Selected = true;
        a.Object = {column, row};
        a.Routes = std::make_unique<puzzle::PushRoutes>(position, cell);
        for (const puzzle::Cell& t : a.Routes->Targets())
            a.Targets.push_back({t.X, t.Y});
        UpdateLost();
        return;
    }
    const auto walk = puzzle::WalkTo(position, cell);
    if (!walk || walk->empty())
        return;
    CancelHint();
    a.Note.clear();
    a.Steps = *walk;
    a.Fast = true;
}

void TForm1::Redo() {
    TAssistState& a = State.Assist;
    if (!State.Play.Redo || !State.HeroSprite)
        return;
    // Presses while a step runs are kept, each the next undone step after those queued.
    const size_t next = static_cast<size_t>(State.UndoIndex) + a.Steps.size();
    if (next < State.MoveLog.size())
        a.Steps += State.MoveLog[next];
}

void TForm1::AskHint() {
    TAssistState& a = State.Assist;
    if (!State.Play.Hint || !State.HeroSprite || State.Won || a.Hint || !a.Board)
        return;
    StopWalk();
    a.Steps.clear();
    if (a.Selected)
        DropSelection();
    const puzzle::Level position = PositionOf(State.Level, State.HeroCellX, State.HeroCellY);
    puzzle::HintOptions options;
    if (!a.Known.empty()) {
        options.Start = a.Start;
        options.Known = a.Known;
    }
    a.Hint = std::make_unique<THintWorker>(*a.Board, position, options);
    a.Note = "Looking for a hint...";
}
