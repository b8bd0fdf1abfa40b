// Level files: the 952-byte image of TLevelData that the game reads in one piece.
//
// What the game reads: the object and zone tables, the cell codes (game/LevelFormat.h; we write
// ccFloor for every free cell, the pusher's start cell and the cells outside the walls included),
// the pusher's start and the object count. Zones and the pusher are not marked in the cells.
//
// The 28 bytes the game never reads carry our own header, so the tools can recognise their files
// and keep a level's title with it:
//   offset 0, 3 bytes    "KSL" (magic)
//   offset 3, 1 byte     format version, 1
//   offset 4, 21 bytes   title in Windows-1252, cut to 21 bytes, padded with NUL bytes
//   offset 169, 3 bytes  reserved, zero
// A file without the magic is still a level; it just has no title.
#pragma once

#include "game/LevelFormat.h"
#include "puzzle/Notation.h"

#include <array>
#include <cstdint>
#include <string>

namespace levels {

// The tool works on the puzzle's own levels and notation.
using puzzle::Cell;
using puzzle::FormatLevel;
using puzzle::FormatLevels;
using puzzle::kBarLeft;
using puzzle::kBarTop;
using puzzle::Level;
using puzzle::ParseLevels;
using puzzle::TextError;

constexpr size_t kLevelFileSize = sizeof(TLevelData);
constexpr uint8_t kFormatVersion = 1;
constexpr size_t kTitleBytes = 21;

using LevelBytes = std::array<uint8_t, kLevelFileSize>;

// A level file the tools cannot make sense of: wrong size, or a record the game refuses (then
// with the game's words for it).
struct FileError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Both refuse what the game refuses (LevelFault). What the game tolerates but a sound level must
// not do (stray object codes, say) is left to CheckLevelBytes.
LevelBytes EncodeLevel(const Level& level);
Level DecodeLevel(const LevelBytes& bytes);
TLevelData ToLevelData(const LevelBytes& bytes);

LevelBytes ReadLevelFile(const std::string& path);
void WriteLevelFile(const std::string& path, const LevelBytes& bytes);

// "Level" + number + ".sal", the name the game builds.
std::string LevelFileName(int number);

} // namespace levels
