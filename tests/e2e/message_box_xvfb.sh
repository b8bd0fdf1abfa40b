#!/bin/sh
# Message boxes a player can see on an X server without core fonts, where SDL cannot draw its
# own: the server here has only its built-in "fixed" and "cursor" fonts. Two starts of the real
# program with a theme it cannot use, each showing two boxes in a row:
#   a missing theme file: its box answered with Return, the next one with a click on OK;
#   a damaged theme file: its OK/Cancel box answered with Escape, the next one with Return.
#   the missing theme again under a window manager (openbox), which frames the boxes and
#   decides who gets the keyboard: Return, then a click.
# Each start must end with exit status 1 (the game cannot run without its theme) once the boxes
# are answered. A picture of the first box is left as message-box-xvfb.png.
set -eu
PROGRAM="$1"
XSHOT="$2"

GAME=$(mktemp -d)
GAME_PID=""
WM_PID=""
. "$(dirname "$0")/xvfb.sh"
cleanup() {
    # Never "kill 0": that would be the whole process group, the test runner included.
    for P in "$GAME_PID" "$WM_PID"; do
        if [ -n "$P" ]; then
            kill "$P" 2>/dev/null || true
        fi
    done
    stop_xvfb
    rm -rf "$GAME"
}
trap cleanup EXIT
stage_game "$PROGRAM" "$GAME"

start_xvfb -fp built-ins
export ASAN_OPTIONS=detect_leaks=0

# The newest visible window with this caption that is not the game's own 1024x768 one.
find_box() {
    for _ in $(seq 300); do
        for W in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true); do
            # A window may go between the search and this question.
            SIZE=$(xdotool getwindowgeometry --shell "$W" 2>/dev/null) || continue
            eval "$SIZE"
            if [ "$WIDTH" -lt 1024 ]; then
                BOX=$W
                return 0
            fi
        done
        sleep 0.1
    done
    echo "no message box captioned $1 appeared"
    if [ -n "$GAME_PID" ] && kill -0 "$GAME_PID" 2>/dev/null; then
        if command -v gdb >/dev/null; then
            echo "the program still runs, here:"
            gdb -batch -p "$GAME_PID" -ex "thread apply all bt 12" 2>/dev/null | grep '^#' || true
        fi
        echo "the server's named windows:"
        for W in $(xdotool search --name . 2>/dev/null || true); do
            echo "  $(xdotool getwindowname "$W" 2>/dev/null || true)" \
                "$(xdotool getwindowgeometry "$W" 2>/dev/null | tr '\n' ' ' || true)"
        done
    else
        echo "the program has ended"
    fi
    exit 1
}

# Waits for the box to go, so the next search cannot find it again.
gone() {
    for _ in $(seq 150); do
        xdotool getwindowname "$BOX" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    echo "the message box stayed after its answer"
    exit 1
}

click_ok() {
    eval "$(xdotool getwindowgeometry --shell "$BOX")"
    # The one button sits centred on the box's bottom row, its middle 30 pixels up.
    xdotool mousemove --window "$BOX" $((WIDTH / 2)) $((HEIGHT - 30))
    sleep 0.2
    xdotool click 1
}

expect_exit() {
    wait_for_exit "$GAME_PID" || { echo "the program did not end after its boxes were answered"; exit 1; }
    GAME_PID=""
    [ "$EXIT_STATUS" -eq "$1" ] && return 0
    echo "program exited with status $EXIT_STATUS, not $1"
    exit 1
}

# A start with a theme that is not there: the image list's box, answered with Return (a picture
# of it taken first when an argument names a file), then the game's, answered with a click on OK.
missing_theme() {
    printf '[Options]\nFull=0\nMusic=0\nTheme=Nowhere\n' > "$GAME/Config.ini"
    "$GAME/kosmorra" &
    GAME_PID=$!
    find_box Trundlo
    sleep 0.5
    [ -z "${1:-}" ] || "$XSHOT" "$1"
    xdotool key Return
    gone
    find_box Kosmorra
    sleep 0.5
    click_ok
    gone
    expect_exit 1
}

missing_theme "$(pwd)/message-box-xvfb.png"
echo "missing theme: both boxes answered, exit status 1"

printf '[Options]\nFull=0\nMusic=0\n' > "$GAME/Config.ini"
printf 'TPF0 not a theme' > "$GAME/Themes/Space.OIL"
"$GAME/kosmorra" &
GAME_PID=$!
find_box 'Error!'
sleep 0.5
xdotool key Escape
gone
find_box Kosmorra
sleep 0.5
xdotool key Return
gone
expect_exit 1
echo "damaged theme: both boxes answered, exit status 1"

start_openbox
missing_theme
echo "under a window manager: both boxes answered, exit status 1"
