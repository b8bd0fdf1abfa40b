# Sourced by the tests that need a real X server: start_xvfb starts a private Xvfb (the server
# picks a free display number and reports it), exports DISPLAY and SDL's X11 and dummy-audio
# drivers, and leaves the server's process id in XVFB_PID; stop_xvfb ends it. Never kills 0.
# Arguments to start_xvfb go to the server (for example a font path).

XVFB_PID=""

start_xvfb() {
    _number_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp "$@" 3>"$_number_file" >/dev/null 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 100); do
        [ -s "$_number_file" ] && break
        sleep 0.1
    done
    export DISPLAY=":$(head -n 1 "$_number_file")"
    rm -f "$_number_file"
    export SDL_AUDIODRIVER=dummy
    export SDL_VIDEODRIVER=x11
}

stop_xvfb() {
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
    fi
}
