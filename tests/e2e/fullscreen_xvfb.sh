#!/bin/sh
# Full screen as a player meets it on a fresh start (no Config.ini setting: full screen), on a
# bare X server, or under openbox when the third argument is "openbox":
# - the window covers the display, and a picture of the root window holds the whole frame
#   letterboxed (1024 x 768 scaled to 1280 x 960, black bars of 32 rows above and below);
# - clicks aimed at the drawn buttons act (Options, the full-screen box, Back, Exit, Yes);
# - full screen off gives a window of the back buffer's size, and off, on and off again brings
#   the window back to the same place and size;
# - the program ends through the exit question with status 0.
# Pictures are left as fullscreen-<mode>.png and fullscreen-<mode>-windowed.png.
set -eu
PROGRAM="$1"
XSHOT="$2"
MODE="${3:-bare}"

GAME=$(mktemp -d)
GAME_PID=""
WM_PID=""
. "$(dirname "$0")/xvfb.sh"
cleanup() {
    # Never "kill 0": that would be the whole process group, the test runner included.
    [ -z "$GAME_PID" ] || kill "$GAME_PID" 2>/dev/null || true
    [ -z "$WM_PID" ] || kill "$WM_PID" 2>/dev/null || true
    stop_xvfb
    rm -rf "$GAME"
}
trap cleanup EXIT
stage_game "$PROGRAM" "$GAME"
printf '[Options]\nMusic=0\n' > "$GAME/Config.ini"

start_xvfb
export ASAN_OPTIONS=detect_leaks=0
if [ "$MODE" = openbox ]; then
    start_openbox
fi

"$GAME/kosmorra" &
GAME_PID=$!

wait_for_window || { echo "no window captioned Kosmorra appeared"; exit 1; }
sleep 2

fail() {
    echo "$MODE: $*"
    exit 1
}
geometry() {
    eval "$(xdotool getwindowgeometry --shell "$WINDOW")"
    echo "$X $Y ${WIDTH}x$HEIGHT"
}
# A back-buffer point on the full-screen picture: scaled by 5/4, 32 rows down.
click_full() {
    xdotool mousemove $(($1 * 5 / 4)) $((32 + $2 * 5 / 4))
    sleep 0.2
    xdotool mousemove $(($1 * 5 / 4 + 1)) $((32 + $2 * 5 / 4))
    sleep 0.2
    xdotool click 1
    sleep 1
}

FULL=$(geometry)
echo "$MODE: full screen window at $FULL"
[ "$FULL" = "0 0 1280x1024" ] || fail "the full-screen window does not cover the display"
FRAME=$("$XSHOT" "$(pwd)/fullscreen-$MODE.png" --frame)
echo "$MODE: picture $FRAME"
[ "$FRAME" = "frame 0 32 1280 960" ] || fail "the picture is not the whole frame, letterboxed"

click_full 512 430 # Options
click_full 295 250 # the full-screen box: a window now
WINDOWED=$(geometry)
echo "$MODE: windowed at $WINDOWED"
case "$WINDOWED" in
*" 1024x768") ;;
*) fail "the window is not the back buffer's size" ;;
esac
"$XSHOT" "$(pwd)/fullscreen-$MODE-windowed.png"
click_in_window 295 250 # full screen again (the window shows the back buffer pixel for pixel)
[ "$(geometry)" = "0 0 1280x1024" ] || fail "full screen a second time does not cover the display"
click_full 295 250 # and off
[ "$(geometry)" = "$WINDOWED" ] || fail "the window came back at $(geometry), not $WINDOWED"
click_in_window 295 250 # full screen for the way out
click_full 300 738 # Back: the menu
click_full 512 526 # Exit: the question
click_full 430 491 # Yes

if wait_for_exit "$GAME_PID"; then
    GAME_PID=""
    echo "$MODE: program exited with status $EXIT_STATUS"
    exit "$EXIT_STATUS"
fi
fail "the program did not end through the exit question"
