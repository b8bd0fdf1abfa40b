#!/bin/sh
# Runs scripts of the scripted player on a fresh copy of the game's run-time tree, so that the
# progress file and Config.ini they write never touch the build folder. Usage:
#
#   play.sh PLAYER RUNTIME_DIR OUT_DIR SCRIPT...
#
# The scripts run one after the other in the same copy (a later one is the next start of the
# program). If SCRIPT's folder holds NAME.setup beside the first NAME.play, it is run with sh in
# the copy first, to make the level or configuration files the test needs. A script NAME.play
# with NAME.open beside it starts the game as `kosmorra FILE` would, FILE being that file's
# first line (relative to the copy). Pictures and state dumps land in OUT_DIR.
set -eu
PLAYER="$1"
RUNTIME="$2"
OUT="$3"
shift 3

ROOT=$(mktemp -d "${TMPDIR:-/tmp}/kosmorra-play.XXXXXX")
trap 'rm -rf "$ROOT"' EXIT
cp -R "$RUNTIME/levels" "$RUNTIME/Themes" "$RUNTIME/Music" "$ROOT/"
mkdir -p "$OUT"

SETUP="${1%.play}.setup"
if [ -f "$SETUP" ]; then
    (cd "$ROOT" && sh -eu "$SETUP")
fi

cd "$OUT"
for SCRIPT in "$@"; do
    echo "== $SCRIPT"
    OPEN="${SCRIPT%.play}.open"
    if [ -f "$OPEN" ]; then
        "$PLAYER" --root "$ROOT" --open "$(head -n 1 "$OPEN")" "$SCRIPT"
    else
        "$PLAYER" --root "$ROOT" "$SCRIPT"
    fi
done
