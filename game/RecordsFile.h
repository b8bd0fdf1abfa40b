// The records file, "records.txt" in the player's folder: the best win of every board played,
// kept by the fewest moves and by the fewest pushes, each with its solution. Free of the engine,
// so the fuzzers can run it.
//
// Format: UTF-8 text, one record a line ("\n" or "\r\n" line ends):
//
//   ; Kosmorra records: board key, best by, moves, pushes, solution
//   5b1f0c93a2d4e867 moves 24 7 rrddLUUllDRR...
//   5b1f0c93a2d4e867 pushes 30 5 ddrrUUll...
//
// - the board key: 16 lower-case hexadecimal digits (puzzle::BoardKey), a hash of the board
//   alone, so the same puzzle shares its records wherever it is played from (a level file, any
//   collection), and any level source can look its records up;
// - "moves": the win with the fewest moves, ties broken by the fewest pushes; "pushes": the win
//   with the fewest pushes, ties broken by the fewest moves. An equal win keeps the older one;
// - the moves and pushes of that win, then its solution in the common move notation (l u r d
//   walk, L U R D push); a win without a move has none. The counts must be the solution's own.
// Any other line (a comment, a damaged line, a record this version does not know) is kept as it
// is when the file is written again, and otherwise ignored: nothing a player or a later version
// put there is lost. Of two lines for the same board and kind, the better one counts.
//
// The file is changed only by merging a win into what it holds at that moment, under its lock
// (rtl::UpdateFileAtomic), so copies of the game sharing it never erase each other's records.
#pragma once

#include "game/LevelFormat.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One win: its counts and its solution (Moves == Solution.size(); Pushes counts its capitals).
struct TRecord {
    int32_t Moves = 0;
    int32_t Pushes = 0;
    std::string Solution;
    friend bool operator==(const TRecord&, const TRecord&) = default;
};

// The bests of one board.
struct TBoardRecords {
    std::optional<TRecord> ByMoves;
    std::optional<TRecord> ByPushes;
};

class TRecords {
public:
    // Far beyond any real file: a records file larger than this is refused unread, and a win of
    // more moves than this is not kept.
    static constexpr int64_t kMaxFileSize = int64_t{16} << 20;
    static constexpr int32_t kMaxSolutionMoves = 100'000;
    static constexpr const char* kHeader =
        "; Kosmorra records: board key, best by, moves, pushes, solution";

    TRecords() = default;
    // The records of a file's text; lines that are not records are kept aside (see above).
    explicit TRecords(std::string_view text);

    // The bests of a board, or nullptr when it has none.
    const TBoardRecords* Find(const std::string& key) const;
    const std::map<std::string, TBoardRecords>& All() const { return FBoards; }

    // Adds a win of the board: it becomes the best by moves, by pushes, both or neither. False
    // when nothing changed (no better than the bests, or not a solution this file can keep).
    bool Add(const std::string& key, const std::string& solution);

    // The file's text: every line it was read from, the changed records in their old places and
    // new ones at the end; a file made anew starts with the header comment.
    std::string Text() const;

    // A valid record of a solution, or nothing when it holds anything but the move letters or
    // is longer than kMaxSolutionMoves.
    static std::optional<TRecord> RecordOf(const std::string& solution);
    static bool IsKey(std::string_view text);

private:
    struct TLines {
        int ByMoves = -1; // the line holding each best, -1 for none yet
        int ByPushes = -1;
    };
    std::vector<std::string> FLines;
    std::map<std::string, TBoardRecords> FBoards;
    std::map<std::string, TLines> FPlaces;
};

// The records file at path (resolved as the game resolves names); no file gives no records.
// Raises the file's errors as rtl exceptions: not a regular file, unreadable, or larger than
// TRecords::kMaxFileSize (refused unread).
TRecords ReadRecordsFile(const std::string& path);

// Adds a win to the records file as it is at this moment, under its lock, and replaces it in one
// step (rtl::UpdateFileAtomic: a link stays a link, the mode is kept, a read-only or hostile file
// is refused and left as it was). Returns what the file holds afterwards.
TRecords AddToRecordsFile(const std::string& path, const std::string& key,
                          const std::string& solution);

// The board key (puzzle::BoardKey) of a level record as the game reads it: its walls and object
// cells, its zones and its pusher.
std::string LevelKey(const TLevelData& level);

// The counters of a move log's first `played` letters: moves, and pushes among them.
struct TCounts {
    int32_t Moves = 0;
    int32_t Pushes = 0;
};
TCounts CountMoves(const std::string& log, int32_t played);
