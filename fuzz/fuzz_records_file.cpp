// The records file as the game reads it and merges a win into it: any bytes. Every record read is
// a solution with its own counts; what is written reads back as the same records, keeps every
// line it was read from, and a win added is found again.
#include "game/RecordsFile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

bool SameRecords(const TRecords& a, const TRecords& b) {
    if (a.All().size() != b.All().size())
        return false;
    for (const auto& [key, board] : a.All()) {
        const TBoardRecords* other = b.Find(key);
        if (!other || other->ByMoves != board.ByMoves || other->ByPushes != board.ByPushes)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    TRecords records(text);
    for (const auto& [key, board] : records.All()) {
        Check(TRecords::IsKey(key));
        for (const std::optional<TRecord>& best : {board.ByMoves, board.ByPushes})
            if (best)
                Check(TRecords::RecordOf(best->Solution) == best);
    }
    Check(SameRecords(TRecords(records.Text()), records));

    // A win of the first record's board, or of a board of its own, one move better by moves.
    const std::string key =
        records.All().empty() ? "0123456789abcdef" : records.All().begin()->first;
    const TBoardRecords* before = records.Find(key);
    const std::string solution = before && before->ByMoves && before->ByMoves->Moves > 0
                                     ? before->ByMoves->Solution.substr(1)
                                     : std::string("rU");
    const bool shorter = before && before->ByMoves && before->ByMoves->Moves > 0;
    const bool changed = records.Add(key, solution);
    Check(!shorter || changed);
    const TRecords written(records.Text());
    Check(SameRecords(written, records));
    Check(written.Find(key) && written.Find(key)->ByMoves);
    Check(!shorter || written.Find(key)->ByMoves->Solution == solution);
    return 0;
}
