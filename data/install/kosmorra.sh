#!/bin/sh
# Starts Kosmorra. The game keeps its progress ("compleated.cmp") and settings ("Config.ini")
# in its own folder. A system-wide install (anything under /usr or /opt, which root could write
# but no player owns) or one the player cannot write runs from a folder of the player's own,
# made on first start, whose data folders are links to the installed ones.
set -eu
HERE=$(dirname "$(readlink -f "$0")")
GAME=$(readlink -f "$HERE/../lib/kosmorra")

case "$GAME" in
/usr/* | /opt/*) ;;
*)
    if [ -w "$GAME" ]; then
        exec "$GAME/kosmorra" "$@"
    fi
    ;;
esac

PLAYER="${XDG_DATA_HOME:-$HOME/.local/share}/kosmorra"
mkdir -p "$PLAYER"
for folder in levels Themes Music; do
    ln -sfn "$GAME/$folder" "$PLAYER/$folder"
done
# The program finds its data beside its own file, so the player's folder holds a copy of it,
# renewed whenever the installed one changes.
if ! cmp -s "$GAME/kosmorra" "$PLAYER/kosmorra"; then
    cp "$GAME/kosmorra" "$PLAYER/kosmorra.new"
    mv "$PLAYER/kosmorra.new" "$PLAYER/kosmorra"
fi
exec "$PLAYER/kosmorra" "$@"
