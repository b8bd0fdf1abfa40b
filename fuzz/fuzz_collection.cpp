// Collection files as the game opens them: any text through the puzzle library's collection
// reader. Whatever it reads must be safe to play: every level it calls playable becomes a record
// the game's own check accepts, keeps every rule the level tool holds a shipped level to, and
// reads back from its canonical drawing as the same board.
#include "game/CollectionFile.h"
#include "puzzle/Notation.h"
#include "tools/levels/LevelCheck.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    puzzle::Collection collection;
    try {
        collection =
            puzzle::ReadCollection(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const puzzle::CollectionError&) {
        return 0;
    }
    for (const puzzle::CollectionLevel& level : collection.Levels) {
        if (!level.Playable())
            continue;
        if (!LevelFault(LevelRecord(level.Board)).empty())
            std::abort(); // the game would refuse a level the reader offers
        if (!levels::CheckLevel(level.Board).empty())
            std::abort(); // a playable level breaks a rule of the level tool
        puzzle::Level plain = level.Board;
        plain.Title.clear();
        const puzzle::Collection again = puzzle::ReadCollection(puzzle::FormatLevel(plain));
        if (again.Levels.size() != 1 || again.Levels[0].Board != plain)
            std::abort(); // drawn again, it reads as another level
    }
    return 0;
}
