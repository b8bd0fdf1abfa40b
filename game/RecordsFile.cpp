#include "game/RecordsFile.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Streams.h"
#include "puzzle/BoardKey.h"

#include <algorithm>
#include <charconv>
#include <tuple>

namespace {

constexpr std::string_view kByMoves = "moves";
constexpr std::string_view kByPushes = "pushes";

bool IsMoveLetter(char c) {
    return std::string_view("udlrUDLR").find(c) != std::string_view::npos;
}

// A count as the file writes it: decimal digits, no sign, no leading zero but for 0 itself.
bool ReadCount(std::string_view text, int32_t& value) {
    if (text.empty() || text.size() > 9 || (text.size() > 1 && text[0] == '0'))
        return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    size_t start = 0;
    while (start <= line.size() && words.size() <= 5) {
        const size_t end = std::min(line.find(' ', start), line.size());
        words.push_back(line.substr(start, end - start));
        start = end + 1;
    }
    return words;
}

bool BetterByMoves(const TRecord& a, const TRecord& b) {
    return std::tie(a.Moves, a.Pushes) < std::tie(b.Moves, b.Pushes);
}

bool BetterByPushes(const TRecord& a, const TRecord& b) {
    return std::tie(a.Pushes, a.Moves) < std::tie(b.Pushes, b.Moves);
}

std::string LineOf(const std::string& key, std::string_view kind, const TRecord& record) {
    std::string line = key + ' ' + std::string(kind) + ' ' + std::to_string(record.Moves) + ' ' +
                       std::to_string(record.Pushes);
    if (!record.Solution.empty())
        line += ' ' + record.Solution;
    return line;
}

} // namespace

std::optional<TRecord> TRecords::RecordOf(const std::string& solution) {
    if (solution.size() > static_cast<size_t>(kMaxSolutionMoves) ||
        !std::all_of(solution.begin(), solution.end(), IsMoveLetter))
        return std::nullopt;
    TRecord record;
    record.Moves = static_cast<int32_t>(solution.size());
    record.Pushes = static_cast<int32_t>(
        std::count_if(solution.begin(), solution.end(), [](char c) { return c < 'a'; }));
    record.Solution = solution;
    return record;
}

bool TRecords::IsKey(std::string_view text) {
    return text.size() == 16 && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

TRecords::TRecords(std::string_view text) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        FLines.emplace_back(line);

        const std::vector<std::string_view> words = Words(line);
        if (words.size() < 4 || words.size() > 5 || !IsKey(words[0]) ||
            (words[1] != kByMoves && words[1] != kByPushes))
            continue;
        int32_t moves = 0, pushes = 0;
        if (!ReadCount(words[2], moves) || !ReadCount(words[3], pushes))
            continue;
        const std::optional<TRecord> record =
            RecordOf(std::string(words.size() == 5 ? words[4] : std::string_view()));
        // A solution of 0 moves is written without its (empty) word; an empty word is damage.
        if (!record || record->Moves != moves || record->Pushes != pushes ||
            (words.size() == 5 && words[4].empty()))
            continue;
        const std::string key(words[0]);
        TBoardRecords& board = FBoards[key];
        TLines& places = FPlaces[key];
        const int index = static_cast<int>(FLines.size()) - 1;
        if (words[1] == kByMoves) {
            if (!board.ByMoves || BetterByMoves(*record, *board.ByMoves)) {
                board.ByMoves = record;
                places.ByMoves = index;
            }
        } else if (!board.ByPushes || BetterByPushes(*record, *board.ByPushes)) {
            board.ByPushes = record;
            places.ByPushes = index;
        }
    }
}

const TBoardRecords* TRecords::Find(const std::string& key) const {
    const auto found = FBoards.find(key);
    return found == FBoards.end() ? nullptr : &found->second;
}

bool TRecords::Add(const std::string& key, const std::string& solution) {
    const std::optional<TRecord> record = RecordOf(solution);
    if (!record || !IsKey(key))
        return false;
    if (FLines.empty())
        FLines.emplace_back(kHeader);
    TBoardRecords& board = FBoards[key];
    TLines& places = FPlaces[key];
    const auto place = [&](int& line, std::string_view kind) {
        std::string text = LineOf(key, kind, *record);
        if (line < 0) {
            line = static_cast<int>(FLines.size());
            FLines.push_back(std::move(text));
        } else {
            FLines[static_cast<size_t>(line)] = std::move(text);
        }
    };
    bool changed = false;
    if (!board.ByMoves || BetterByMoves(*record, *board.ByMoves)) {
        board.ByMoves = record;
        place(places.ByMoves, kByMoves);
        changed = true;
    }
    if (!board.ByPushes || BetterByPushes(*record, *board.ByPushes)) {
        board.ByPushes = record;
        place(places.ByPushes, kByPushes);
        changed = true;
    }
    return changed;
}

std::string TRecords::Text() const {
    std::string text;
    for (const std::string& line : FLines)
        text += line + '\n';
    return text;
}

TRecords ReadRecordsFile(const std::string& path) {
    const std::string file = rtl::ResolvePath(path);
    if (!rtl::FileExists(file) && !rtl::DirectoryExists(file))
        return TRecords();
    const std::vector<uint8_t> bytes = rtl::ReadFileBytes(path, TRecords::kMaxFileSize);
    return TRecords(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

TRecords AddToRecordsFile(const std::string& path, const std::string& key,
                          const std::string& solution) {
    TRecords merged;
    rtl::UpdateFileAtomic(path, TRecords::kMaxFileSize + 1, [&](std::vector<uint8_t>& bytes) {
        // Read one byte past the limit to tell a file at the limit from a larger one, which must
        // not be cut down to the limit and written back.
        if (bytes.size() > static_cast<size_t>(TRecords::kMaxFileSize))
            throw rtl::EFOpenError("Cannot open file \"" + path +
                                   "\". It is more than such a file can be (" +
                                   rtl::FormatByteSize(TRecords::kMaxFileSize) + " at most).");
        merged =
            TRecords(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        merged.Add(key, solution);
        const std::string text = merged.Text();
        bytes.assign(text.begin(), text.end());
    });
    return merged;
}

std::string LevelKey(const TLevelData& level) {
    puzzle::Level board;
    for (int x = 0; x < kBoardColumns; ++x)
        for (int y = 0; y < kBoardRows; ++y) {
            board.Walls[x][y] = level.Cells[x][y] == ccWall;
            // The cells say where objects are: the game pushes what they mark.
            if (level.Cells[x][y] == ccBox)
                board.Boxes.push_back({x, y});
        }
    for (int i = 0; i < level.BoxCount && i < kMaxBoxes; ++i)
        board.Zones.push_back({level.Zones[i].X, level.Zones[i].Y});
    board.Hero = {level.HeroX, level.HeroY};
    return puzzle::BoardKey(board);
}

TCounts CountMoves(const std::string& log, int32_t played) {
    TCounts counts;
    counts.Moves = std::clamp<int32_t>(played, 0, static_cast<int32_t>(log.size()));
    counts.Pushes = static_cast<int32_t>(std::count_if(
        log.begin(), log.begin() + counts.Moves, [](char c) { return c >= 'A' && c <= 'Z'; }));
    return counts;
}
