#!/bin/sh
# The real program as a player meets it, on its own X server with the OpenGL device: click
# "New game", walk with real arrow keys, open the dialog with Escape and answer No, open it
# again from the bar's Back button and answer Yes (back to the menu), then leave through the
# exit question. Expects exit status 0. A picture of the level is left as play-xvfb.png.
#
# The game runs from a copy of the run-time tree (its own folder is where it writes progress
# and settings), windowed: without a window manager an X full screen is not resized.
set -eu
PROGRAM="$1"
XSHOT="$2"

GAME=$(mktemp -d)
GAME_PID=""
. "$(dirname "$0")/xvfb.sh"
cleanup() {
    # Never "kill 0": that would be the whole process group, the test runner included.
    if [ -n "$GAME_PID" ]; then
        kill "$GAME_PID" 2>/dev/null || true
    fi
    stop_xvfb
    rm -rf "$GAME"
}
trap cleanup EXIT
stage_game "$PROGRAM" "$GAME"
printf '[Options]\nFull=0\nMusic=0\n' > "$GAME/Config.ini"

start_xvfb
export ASAN_OPTIONS=detect_leaks=0

"$GAME/kosmorra" &
GAME_PID=$!

wait_for_window || { echo "no window captioned Kosmorra appeared"; exit 1; }
sleep 1.5
WINDOW=$(xdotool search --onlyvisible --name '^Kosmorra$' | head -n 1)
xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true

# Clicks at back-buffer positions inside the window (a windowed game shows it pixel for pixel).
click() {
    click_in_window "$1" "$2" 0.6
}
hold() {
    xdotool keydown "$1"
    sleep "$2"
    xdotool keyup "$1"
    sleep 0.4
}

click 512 334              # New game (the Space theme's first menu button)
hold Right 0.5
hold Left 0.5
"$XSHOT" "$(pwd)/play-xvfb.png"
hold Escape 0.1            # the back-to-menu question
click 594 491              # No
click 899 715              # the bar's Back button: the question again
click 430 491              # Yes: the menu
hold Escape 0.1            # the exit question
click 430 491              # Yes: the program ends

if wait_for_exit "$GAME_PID"; then
    GAME_PID=""
    echo "program exited with status $EXIT_STATUS"
    exit "$EXIT_STATUS"
fi
echo "the program did not end through its exit question"
exit 1
