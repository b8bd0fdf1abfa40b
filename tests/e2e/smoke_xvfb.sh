#!/bin/sh
# Starts the real program on its own Xvfb display, checks that a window captioned "Kosmorra"
# appears, closes it the way a player would (the window's close button) and expects a clean
# exit with status 0.
set -eu
PROGRAM="$1"
XCLOSE="$2"

# Let the server pick a free display number and report it.
. "$(dirname "$0")/xvfb.sh"
trap stop_xvfb EXIT
start_xvfb

"$PROGRAM" &
GAME_PID=$!

WINDOW=""
for _ in $(seq 300); do
    WINDOW=$(xdotool search --name '^Kosmorra$' 2>/dev/null | head -n 1 || true)
    [ -n "$WINDOW" ] && break
    sleep 0.1
done
if [ -z "$WINDOW" ]; then
    echo "no window captioned Kosmorra appeared"
    kill "$GAME_PID" 2>/dev/null || true
    exit 1
fi
echo "window $WINDOW: $(xdotool getwindowname "$WINDOW")"

# The window may be made again while the program sets its screen up: ask whichever window
# carries the caption now, until the program has gone.
sleep 1
for _ in $(seq 60); do
    kill -0 "$GAME_PID" 2>/dev/null || break
    for W in $(xdotool search --name '^Kosmorra$' 2>/dev/null || true); do
        "$XCLOSE" "$W" 2>/dev/null || true
    done
    sleep 0.5
done

if wait_for_exit "$GAME_PID"; then
    echo "program exited with status $EXIT_STATUS"
    exit "$EXIT_STATUS"
fi
echo "program did not exit after its window was closed"
kill "$GAME_PID" 2>/dev/null || true
exit 1
