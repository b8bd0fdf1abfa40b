// The counters and the best records: the moves and pushes drawn on the game screen with the
// level's best, the records file read and merged at a win, and the bests on the level selection.
#include "game/CollectionFile.h"
#include "game/RecordsFile.h"
#include "game/ScreenLayout.h"
#include "game/Unit1.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Streams.h"
#include "platform/win/Application.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>

namespace {

uint32_t Argb(layout::Rgb colour) {
    return 0xFF000000u | static_cast<uint32_t>(colour.R) << 16 |
           static_cast<uint32_t>(colour.G) << 8 | static_cast<uint32_t>(colour.B);
}

// A number right-aligned in a field of width characters (wider numbers take what they need).
std::string Field(int32_t value, size_t width) {
    std::string text = std::to_string(value);
    return std::string(width > text.size() ? width - text.size() : 0, ' ') + text;
}

void ShowProblem(const rtl::Exception& e) {
    if (win::Application)
        win::Application->ShowException(e);
}

} // namespace

std::string TForm1::RecordsFileName() {
    return ExistingFileName(kRecordsFile, kRecordsFile);
}

bool TForm1::ReadRecords() {
    try {
        State.Records = ReadRecordsFile(RecordsFileName());
        return true;
    } catch (const rtl::Exception& e) {
        ShowProblem(e);
        return false;
    }
}

bool TForm1::KeepRecord() {
    const std::string solution =
        State.MoveLog.substr(0, static_cast<size_t>(std::max<int32_t>(State.UndoIndex, 0)));
    if (State.LevelKey.empty() || !TRecords::RecordOf(solution))
        return false;
    // As with the progress: the win goes into what the file holds now, so a record another copy
    // of the game wrote meanwhile is kept.
    try {
        State.Records = AddToRecordsFile(RecordsFileName(), State.LevelKey, solution);
        return true;
    } catch (const rtl::Exception& e) {
        ShowProblem(e);
        return false;
    }
}

void TForm1::FindListedKeys() {
    if (State.Collection) {
        // A collection's level is played from the record its board makes, so its key is that
        // record's, taken the way LoadLevel takes it.
        const TCollection& c = *State.Collection;
        for (int place = 1; place <= kListedLevels; ++place) {
            std::string& key = State.ListedKeys[static_cast<size_t>(place - 1)];
            key.clear();
            const int32_t n = State.LoadPage * kListedLevels + place;
            if (n > c.Size() || c.Marks.size() < static_cast<size_t>(n) ||
                !c.Marks[static_cast<size_t>(n - 1)])
                continue;
            const puzzle::CollectionLevel& level = c.Levels.Levels[static_cast<size_t>(n - 1)];
            if (level.Playable())
                key = LevelKey(LevelRecord(level.Board));
        }
        return;
    }
    for (int n = 1; n <= kListedLevels; ++n) {
        std::string& key = State.ListedKeys[static_cast<size_t>(n - 1)];
        key.clear();
        // Only a won level shows a best, and only a level file the game would play has a key.
        if (!State.Progress[static_cast<size_t>(n - 1)])
            continue;
        try {
            const std::vector<uint8_t> bytes = rtl::ReadFileBytes(
                "./levels/Level" + std::to_string(n) + ".sal", kMaxLevelFileSize);
            TLevelData level{};
            std::memcpy(&level, bytes.data(), std::min(bytes.size(), sizeof level));
            if (LevelFault(level).empty())
                key = LevelKey(level);
        } catch (const rtl::Exception&) {
            // A level that cannot be read shows no best here; loading it says why.
        }
    }
}

void TForm1::DrawCounters() {
    if (!State.Play.Counters)
        return;
    const TCounts now = CountMoves(State.MoveLog, State.UndoIndex);
    const TBoardRecords* best = State.Records.Find(State.LevelKey);
    const std::optional<int32_t> bestMoves =
        best && best->ByMoves ? std::optional(best->ByMoves->Moves) : std::nullopt;
    const std::optional<int32_t> bestPushes =
        best && best->ByPushes ? std::optional(best->ByPushes->Pushes) : std::nullopt;
    const auto line = [&](int y, const char* label, int32_t count, std::optional<int32_t> record) {
        const std::string played = std::string(label) + Field(count, 5);
        const std::string kept = record ? "  best" + Field(*record, 5) : std::string();
        const int32_t right = layout::kCountersRight;
        const int32_t keptWidth = kept.empty() ? 0 : ArvexBitmapFont1->TextWidth(kept);
        const int32_t left = right - keptWidth - ArvexBitmapFont1->TextWidth(played);
        ArvexBitmapFont1->TextOutEx(left, y, 0, 1, 1, Argb(layout::kCompletedColour), played, 0);
        if (!kept.empty())
            ArvexBitmapFont1->TextOutEx(right - keptWidth, y, 0, 1, 1,
                                        Argb(layout::kIncompletedColour), kept, 0);
    };
    line(layout::kCountersTop, "Moves ", now.Moves, bestMoves);
    line(layout::kCountersTop + layout::kRowPitch, "Pushes", now.Pushes, bestPushes);
}

void TForm1::DrawListedBest(int32_t place, int32_t x, int32_t y) {
    if (!State.Play.Counters)
        return;
    const TBoardRecords* best =
        State.Records.Find(State.ListedKeys[static_cast<size_t>(place - 1)]);
    if (!best || !best->ByMoves || !best->ByPushes)
        return;
    const std::string text =
        std::to_string(best->ByMoves->Moves) + "/" + std::to_string(best->ByPushes->Pushes);
    ArvexBitmapFont1->TextOutEx(x, y + layout::kListedBestDown, 0, layout::kListedBestScale,
                                layout::kListedBestScale, Argb(layout::kListedBestColour), text, 0);
}
