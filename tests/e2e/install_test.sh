#!/bin/sh
# Installs the build into a fresh prefix and checks the layout a packager and a player rely on:
# the program with its data in one folder, a launcher on the path that finds it from anywhere,
# the desktop entry and the icon. The launcher is started with a dummy display and stopped.
set -eu
BUILD="$1"
PREFIX=$(mktemp -d)
trap 'rm -rf "$PREFIX"' EXIT
cmake --install "$BUILD" --prefix "$PREFIX" >/dev/null

for f in bin/kosmorra lib/kosmorra/kosmorra lib/kosmorra/Themes/Space.OIL \
         lib/kosmorra/Themes/Space.ini lib/kosmorra/Music/Sound.mp3 \
         lib/kosmorra/levels/Level1.sal lib/kosmorra/levels/Level50.sal \
         share/applications/kosmorra.desktop share/icons/hicolor/64x64/apps/kosmorra.png; do
    [ -e "$PREFIX/$f" ] || { echo "missing after install: $f"; exit 1; }
done
[ -x "$PREFIX/bin/kosmorra" ] || { echo "the launcher is not executable"; exit 1; }
grep -q '^Exec=kosmorra$' "$PREFIX/share/applications/kosmorra.desktop"

# The launcher, started from another folder through a link, runs the installed program, which
# finds its data: it is still running after two seconds (no missing-theme exit).
ln -s "$PREFIX/bin/kosmorra" "$PREFIX/elsewhere-link"
cd /
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0 \
    "$PREFIX/elsewhere-link" >"$PREFIX/log" 2>&1 &
GAME=$!
sleep 2
if ! kill -0 "$GAME" 2>/dev/null; then
    echo "the installed game ended at once:"; cat "$PREFIX/log"; exit 1
fi
kill "$GAME"
wait "$GAME" 2>/dev/null || true
echo "installed and started from $PREFIX"
