# Sourced by the tests that need a real X server: start_xvfb starts a private Xvfb (the server
# picks a free display number and reports it), exports DISPLAY and SDL's X11 and dummy-audio
# drivers, and leaves the server's process id in XVFB_PID; stop_xvfb ends it. Never kills 0.
# Arguments to start_xvfb go to the server (for example a font path).
# The server runs with -noreset: by default it resets itself each time its last client leaves,
# and a program that connects during that reset is refused ("x11 not available"). The tests
# that start the game twice in a row met exactly that on a loaded machine.

XVFB_PID=""

start_xvfb() {
    _number_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset "$@" 3>"$_number_file" >/dev/null 2>&1 &
    XVFB_PID=$!
    # The server writes its display number once it accepts clients; on a loaded machine that
    # can take many seconds.
    for _ in $(seq 600); do
        [ -s "$_number_file" ] && break
        sleep 0.1
    done
    if [ ! -s "$_number_file" ]; then
        rm -f "$_number_file"
        echo "xvfb.sh: the X server did not start within 60 s" >&2
        return 1
    fi
    export DISPLAY=":$(head -n 1 "$_number_file")"
    rm -f "$_number_file"
    export SDL_AUDIODRIVER=dummy
    export SDL_VIDEODRIVER=x11
    # No session bus: without an address, the D-Bus library starts a bus of its own tied to the
    # display ("autolaunch"), which can outlive a test and then leave the next program on a
    # reused display number waiting on it for ever, inside SDL's start-up. An address that
    # leads nowhere makes that connection fail at once, and SDL goes on without it.
    export DBUS_SESSION_BUS_ADDRESS="unix:path=/nonexistent/kosmorra-tests-have-no-bus"
}

# stage_game PROGRAM DIR: a runnable copy of the game in DIR, the program with the levels/,
# Themes/ and Music/ folders from beside it (the caller writes its own Config.ini).
stage_game() {
    cp "$1" "$2/"
    cp -r "$(dirname "$1")/levels" "$(dirname "$1")/Themes" "$(dirname "$1")/Music" "$2/"
}

# wait_for_window [PID]: sets WINDOW to the game's visible window once it shows; false when none
# came within 30 s (a loaded machine is slow to start a sanitized program), or when process PID
# ended first.
wait_for_window() {
    WINDOW=""
    for _ in $(seq 300); do
        WINDOW=$(xdotool search --onlyvisible --name '^Kosmorra$' 2>/dev/null | head -n 1 || true)
        [ -n "$WINDOW" ] && return 0
        if [ -n "${1:-}" ] && ! kill -0 "$1" 2>/dev/null; then
            return 1
        fi
        sleep 0.1
    done
    return 1
}

# start_openbox: starts openbox on the display and sets WM_PID; returns once it manages the
# screen (it has announced its desktops), so that a program started next meets a window manager
# and not a bare server that turns into a managed one under it. False after 30 s.
start_openbox() {
    openbox --sm-disable >/dev/null 2>&1 &
    WM_PID=$!
    for _ in $(seq 300); do
        xdotool get_num_desktops >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "xvfb.sh: openbox did not take the screen within 30 s" >&2
    return 1
}

# click_in_window X Y [PAUSE]: a left click at window point (X, Y) of $WINDOW, after two moves
# there (the game acts on a click only over what a move has put under the pointer), then PAUSE
# seconds (1) for the game to act on it.
click_in_window() {
    xdotool mousemove --window "$WINDOW" "$1" "$2"
    sleep 0.2
    xdotool mousemove --window "$WINDOW" "$(($1 + 1))" "$2"
    sleep 0.2
    xdotool click 1
    sleep "${3:-1}"
}

# wait_for_exit PID: once process PID (a child of this shell) has ended, sets EXIT_STATUS to its
# exit status; false when it still runs after 30 s.
wait_for_exit() {
    for _ in $(seq 300); do
        if ! kill -0 "$1" 2>/dev/null; then
            EXIT_STATUS=0
            wait "$1" || EXIT_STATUS=$?
            return 0
        fi
        sleep 0.1
    done
    return 1
}

stop_xvfb() {
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
    fi
}
