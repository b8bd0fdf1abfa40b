#!/bin/sh
# Starts the input probe on its own Xvfb display, gives its window the focus, holds each arrow
# key until the probe has seen it held for a while and then presses Escape, through real X11
# key events (xdotool's XTEST), and checks what the keyboard handler saw: every arrow held over
# many ticks but pressed once, Escape pressed once, and a clean exit.
set -eu
PROBE="$1"

OUTPUT=$(mktemp)
. "$(dirname "$0")/xvfb.sh"
trap 'stop_xvfb; rm -f "$OUTPUT"' EXIT
start_xvfb

"$PROBE" >"$OUTPUT" &
PROBE_PID=$!

WINDOW=""
for _ in $(seq 300); do
    WINDOW=$(xdotool search --name '^Input probe$' 2>/dev/null | head -n 1 || true)
    [ -n "$WINDOW" ] && break
    sleep 0.1
done
if [ -z "$WINDOW" ]; then
    echo "no window captioned Input probe appeared"
    kill "$PROBE_PID" 2>/dev/null || true
    exit 1
fi

# No window manager runs here, so the test hands the window the focus itself.
sleep 0.3
timeout 10 xdotool windowfocus --sync "$WINDOW"
sleep 0.3
# Each arrow stays down until the probe has seen it held for 8 ticks: waiting on what the probe
# saw, not on the wall clock, keeps a loaded machine from cutting the hold short.
held=0
for key in Up Down Left Right; do
    xdotool keydown "$key"
    held=$((held + 1))
    for _ in $(seq 200); do
        [ "$(grep -c '^held bit' "$OUTPUT")" -ge "$held" ] && break
        sleep 0.05
    done
    xdotool keyup "$key"
    sleep 0.1
done
xdotool keydown Escape
sleep 0.1
xdotool keyup Escape

STATUS=""
for _ in $(seq 300); do
    if ! kill -0 "$PROBE_PID" 2>/dev/null; then
        STATUS=0
        wait "$PROBE_PID" || STATUS=$?
        break
    fi
    sleep 0.1
done
cat "$OUTPUT"
if [ -z "$STATUS" ]; then
    echo "the probe did not end after Escape"
    kill "$PROBE_PID" 2>/dev/null || true
    exit 1
fi
[ "$STATUS" -eq 0 ] || { echo "the probe exited with status $STATUS"; exit 1; }

FAILED=0
for bit in 0 1 2 3; do
    LINE=$(grep "^bit $bit: " "$OUTPUT" || true)
    TICKS=$(echo "$LINE" | sed -n 's/.*held \([0-9]*\) ticks.*/\1/p')
    PRESSES=$(echo "$LINE" | sed -n 's/.*pressed \([0-9]*\)$/\1/p')
    if [ -z "$TICKS" ] || [ "$TICKS" -lt 5 ] || [ "$PRESSES" != 1 ]; then
        echo "arrow bit $bit: expected held over 5+ ticks and pressed once, got '${LINE}'"
        FAILED=1
    fi
done
if [ "$(grep -c '^pressed bit 4$' "$OUTPUT")" != 1 ]; then
    echo "Escape (bit 4) was not seen pressed exactly once"
    FAILED=1
fi
exit "$FAILED"
