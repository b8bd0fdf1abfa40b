#!/bin/sh
# Which device the real program draws with on an X server whose OpenGL is Mesa's CPU rasterizer
# (Xvfb): by itself the software one, with no OpenGL driver in the process (on a machine
# without a GPU it is never loaded); the OpenGL one when KOSMORRA_DEVICE=gl asks for it; and
# the software one, without an X error ending the program, when the GL driver cannot be loaded
# (LIBGL_DRIVERS_PATH=/nonexistent), even when OpenGL was asked for. Each run is windowed,
# shows its window, and leaves through the exit question (Escape, then Yes) with status 0.
# Prints each run's resident size.
set -eu
PROGRAM="$1"

GAME=$(mktemp -d)
GAME_PID=""
. "$(dirname "$0")/xvfb.sh"
cleanup() {
    # Never "kill 0": that would be the whole process group, the test runner included.
    [ -z "$GAME_PID" ] || kill "$GAME_PID" 2>/dev/null || true
    stop_xvfb
    rm -rf "$GAME"
}
trap cleanup EXIT
stage_game "$PROGRAM" "$GAME"
printf '[Options]\nFull=0\nMusic=0\n' > "$GAME/Config.ini"

start_xvfb
export ASAN_OPTIONS=detect_leaks=0
unset KOSMORRA_DEVICE

# run NAME EXPECT-GL-DRIVER [VAR=VALUE]: EXPECT-GL-DRIVER is yes when the GL driver must be
# resident while the game shows its menu, no when it must not, any when either will do.
run() {
    NAME="$1"
    EXPECT="$2"
    shift 2
    env "$@" "$GAME/kosmorra" 2>"$GAME/stderr" &
    GAME_PID=$!
    wait_for_window "$GAME_PID" || { cat "$GAME/stderr"; echo "$NAME: no window appeared"; exit 1; }
    sleep 1.5
    DRIVER=no
    grep -qE 'dri/|libgallium|libLLVM' "/proc/$GAME_PID/maps" && DRIVER=yes
    echo "$NAME: GL driver resident: $DRIVER, $(grep VmRSS "/proc/$GAME_PID/status")"
    if [ "$EXPECT" != any ] && [ "$DRIVER" != "$EXPECT" ]; then
        echo "$NAME: expected GL driver resident: $EXPECT"
        exit 1
    fi
    # The exit question, answered Yes; asked again while the program runs on (a loaded machine
    # may take longer than a pause to show the question).
    STATUS=""
    for _ in 1 2 3 4; do
        xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true
        # Held for a while: the game reads the key's state once a frame.
        xdotool keydown Escape
        sleep 0.2
        xdotool keyup Escape
        sleep 1.5
        click_in_window 430 491 0
        for _ in $(seq 100); do
            if ! kill -0 "$GAME_PID" 2>/dev/null; then
                STATUS=0
                wait "$GAME_PID" || STATUS=$?
                break 2
            fi
            sleep 0.1
        done
    done
    [ "$STATUS" = 0 ] || { cat "$GAME/stderr"; echo "$NAME: ended with status '$STATUS'"; exit 1; }
    GAME_PID=""
    if grep -q 'X Error' "$GAME/stderr"; then
        cat "$GAME/stderr"
        echo "$NAME: an X error was reported"
        exit 1
    fi
}

# Where a GPU is present the driver is loaded to learn that Xvfb's OpenGL is the CPU's after
# all, and part of it (LLVM) cannot leave again.
AUTO=no
if ls /dev/dri/renderD* /dev/nvidia0 >/dev/null 2>&1; then
    AUTO=any
fi
run "CPU rasterizer, device chosen by itself" "$AUTO" KOSMORRA_DEVICE=
run "CPU rasterizer, KOSMORRA_DEVICE=gl" yes KOSMORRA_DEVICE=gl
run "no GL driver (LIBGL_DRIVERS_PATH=/nonexistent)" "$AUTO" LIBGL_DRIVERS_PATH=/nonexistent
run "no GL driver, KOSMORRA_DEVICE=gl" any LIBGL_DRIVERS_PATH=/nonexistent KOSMORRA_DEVICE=gl
run "KOSMORRA_DEVICE=soft" no KOSMORRA_DEVICE=soft
echo "all runs ended with status 0"
