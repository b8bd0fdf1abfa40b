// What the scripted player reports about the running game: its state as JSON, single fields of
// it by name for `expect`, and two views of files in the game's folder.
//
// Fields (the `state` dump holds all of them):
//   running        false once the program has ended
//   frame          frame ticks since start-up
//   screen         menu, game, load, options or credits
//   dialog         the confirmation dialog is open
//   level          number of the level last loaded
//   pusher         [column, row] of the pusher
//   angle          the pusher's turn in degrees
//   objects        [[column, row], ...] of the objects, in the level file's order
//   zones          [[column, row], ...] of the zones
//   board          12 rows of 16 characters: # wall, $ object, * object on a zone, . zone,
//                  @ pusher, + pusher on a zone, - any other floor (from the cell codes)
//   pusherPixel    [x, y] of the pusher's sprite, null without one
//   objectPixels   [[x, y], ...] of the objects' sprites
//   moving, pushing, step    the step animation: running, with an object, frames applied
//   won            the win test has passed and the next frame loads the next level
//   undoIndex, history       the current undo entry and the number of entries
//   moves, pushes  the counters: steps and pushes played since the level started
//   levelKey       the board key the level's records are kept under
//   bestMoves, bestPushes    the level's best by moves and by pushes as the game holds them,
//                  null without one
//   moveLog        the steps in the move notation (l u r d walks, L U R D pushes): the first
//                  undoIndex were played, the rest can be redone
//   queued         steps of a click, the hint or redo still to be played
//   selected       [column, row] of the object picked with the mouse, null for none
//   targets        [[column, row], ...] the cells the picked object can be pushed to
//   hinting        the hint's search is running
//   note           the line the game shows on the board ("" for none)
//   lost           per object: it can no longer reach a zone (drawn tinted)
//   objectColours  per object: its sprite's [red, green, blue]
//   music          the music option; songPosition: seconds into the song
//   fullscreen, antialias, depth    the screen's settings
//   depthShown                      the depth button the options screen shows selected (0
//   elsewhere) levelText      the level box's text on the level-selection screen, null elsewhere
//   progress       the 100 completion bytes the game holds
//   collection     the name of the collection being played, null for the game's own levels;
//   collectionSize its levels (0 without one); page: the level selection's page, from 1;
//   marks          the collection's completion bytes, one per level
//   messages, message        message boxes shown so far, and the last one's text
// A field can be followed by indices: progress[0], objects[1][0], board[3].
// Files, relative to the game's folder, never part of the dump:
//   text:NAME      the file's text ("\n" for line ends), or the word missing
//   bytes:NAME     its bytes as numbers, or missing; bytes:NAME[0] is the first
#pragma once

#include "tools/play/Json.h"

#include <string>

class TForm1;

namespace play {

struct ProbeFacts {
    bool Running = true;
    long long Frames = 0;
};

JsonValue CaptureState(TForm1& form, const ProbeFacts& facts);

// The value of a field expression, read from state (or from the file system for text: and
// bytes:). False with a reason when the expression names nothing.
bool ReadField(const JsonValue& state, const std::string& expression, JsonValue& value,
               std::string& why);

// Whether a value reads as the script's text: strings compare as written ("" is the empty
// string), numbers by value, everything else in its compact JSON form, spaces ignored.
bool Matches(const JsonValue& value, const std::string& wanted);
// The value as the script would write it, for messages.
std::string Describe(const JsonValue& value);

} // namespace play
