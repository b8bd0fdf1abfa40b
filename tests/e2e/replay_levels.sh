#!/bin/sh
# Plays the solutions the shipped levels' notes keep through the real game: levels FIRST to
# LAST are started from the level selection and played key by key, and each must be won and
# lead to the next level (after the last level of the set, level 1). Usage:
#
#   replay_levels.sh PLAYER RUNTIME_DIR OUT_DIR LEVELS.txt FIRST LAST
#
# The script is written from the notes each time, so it always plays the levels as shipped.
set -eu
PLAYER="$1"
RUNTIME="$2"
OUT="$3"
LEVELS="$4"
FIRST="$5"
LAST="$6"
mkdir -p "$OUT"
SCRIPT="$OUT/replay_${FIRST}_${LAST}.play"

awk -v first="$FIRST" -v last="$LAST" '
    # A level is a block of lines with a drawing; a block of comments alone is the header.
    function close_block() {
        if (drawn) { count++; moves[count] = solution }
        drawn = 0; solution = ""
    }
    /^[ \t\r]*$/ { close_block(); next }
    /^; moves: / { solution = substr($0, 10); sub(/\r$/, "", solution); next }
    /^;/ { next }
    { drawn = 1 }
    END {
        close_block()
        key["l"] = "Left"; key["r"] = "Right"; key["u"] = "Up"; key["d"] = "Down"
        print "frames 1"
        print "click 512 382"
        print "expect screen load"
        print "click 140 740"
        print "type " first
        print "click 300 746"
        print "expect screen game"
        print "expect level " first
        for (n = first; n <= last; n++) {
            if (moves[n] == "") { print "level " n " keeps no moves" > "/dev/stderr"; exit 1 }
            print "# level " n ": " length(moves[n]) " moves"
            print "expect won false"
            for (i = 1; i <= length(moves[n]); i++) {
                # A step ends 29 frames after the press of its key (a press is two frames); a key
                # pressed while one runs is not taken. The win is seen as the last step ends.
                print "press " key[tolower(substr(moves[n], i, 1))]
                print "frames 29"
            }
            print "expect won true"
            print "frames 1"
            print "expect level " (n < count ? n + 1 : 1)
            # The game marks a level won as it loads the next one, but not when it starts
            # again at level 1 after the last.
            if (n < count) print "expect progress[" (n - 1) "] 1"
            else print "expect progress[" (n - 1) "] 0"
        }
    }' "$LEVELS" > "$SCRIPT"

exec "$(dirname "$0")/play.sh" "$PLAYER" "$RUNTIME" "$OUT" "$SCRIPT"
