#!/bin/sh
# Runs a program on its own Xvfb display with SDL's X11 driver, for tests that need a real
# window and OpenGL (Mesa's software driver). Exits with the program's status.
set -eu

. "$(dirname "$0")/xvfb.sh"
trap stop_xvfb EXIT
start_xvfb

# Mesa unloads its OpenGL driver when the program closes its display; what the driver leaves
# allocated then belongs to no module a leak suppression could name. In sanitized builds the
# driver is loaded up front (after the sanitizer runtime, which must come first) so that it
# stays to the end.
PRELOAD=""
ASAN=$(ldd "$1" 2>/dev/null | awk '/libasan/ {print $3}')
DRIVER=$(ls /usr/lib/*/dri/swrast_dri.so 2>/dev/null | head -n 1 || true)
if [ -n "$ASAN" ] && [ -n "$DRIVER" ]; then
    PRELOAD="$ASAN $DRIVER"
fi

STATUS=0
LD_PRELOAD="$PRELOAD" "$@" || STATUS=$?
exit "$STATUS"
