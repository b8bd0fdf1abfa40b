// A level collection as the game plays it: the file (or folder of files) in the common notation,
// read with the puzzle library's reader under caps, the record the board code plays for each of
// its levels, and the key its progress file is named by. Free of the engine, so the fuzzers and
// benchmarks run it alone.
#pragma once

#include "game/LevelFormat.h"
#include "platform/rtl/Streams.h"
#include "puzzle/Collection.h"

#include <cstdint>
#include <string>
#include <vector>

struct TCollection {
    std::string Path; // as opened, made absolute
    std::string Name; // the file's or folder's name, shown on the level selection
    puzzle::Collection Levels;
    // 16 hex digits, the FNV-1a hash of the playable levels' board keys (puzzle::BoardKey) in
    // order: the same levels under another name or in another place keep their progress; a
    // changed level starts afresh.
    std::string Key;
    std::vector<uint8_t> Marks; // completion mark of level n at n - 1, one per level

    int32_t Size() const { return static_cast<int32_t>(Levels.Levels.size()); }
    // The first playable level after `after` (0: from the start), wrapping round to level 1;
    // 0 when there is none.
    int32_t NextPlayable(int32_t after) const;
};

// Files of a folder read as one collection: these extensions, in any letter case.
bool IsCollectionFileName(const std::string& name);

// Reads a collection file, or every collection file of a folder in name order. Raises
// rtl::EFOpenError naming the file (and the line, for what is no text of levels) when it cannot
// be read: missing, not a regular file, larger than puzzle::kMaxCollectionBytes, binary. A
// collection without a playable level is returned as it is; the caller says so.
TCollection ReadCollectionFile(const std::string& path);

// What the player is told when a collection holds no level the game can play.
std::string NothingPlayable(const TCollection& collection);

// The level record the board code plays for a placed level: walls and objects in the cells,
// every other cell (outside the walls too) free floor.
TLevelData LevelRecord(const puzzle::Level& level);

// The collection's progress file in the player's folder: "collection-KEY.cmp".
std::string CollectionProgressFile(const std::string& key);

// Up to count marks from the stream; a short file counts the rest as not won.
std::vector<uint8_t> ReadMarks(rtl::TStream& stream, size_t count);
