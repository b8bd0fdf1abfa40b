#!/bin/sh
# package_test.sh SOURCE BUILD: builds the Debian package from BUILD, checks what it holds with
# Debian's own validators (lintian, desktop-file-validate, appstreamcli), and, when run as root
# on a system where the game is not installed already, installs it with dpkg, starts the
# installed game headless once as a player would, and removes it again, leaving nothing behind.
set -eu
SOURCE="$1"
BUILD="$2"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

PACKAGE=$("$SOURCE/scripts/make-deb" "$BUILD" "$WORK" | tail -n 1)
case "$(basename "$PACKAGE")" in
kosmorra_*_"$(dpkg --print-architecture)".deb) ;;
*) echo "unexpected package name: $PACKAGE"; exit 1 ;;
esac

dpkg-deb -f "$PACKAGE" Depends | grep -q 'libsdl2' || { echo "Depends misses SDL2"; exit 1; }
dpkg-deb -x "$PACKAGE" "$WORK/tree"
for f in usr/games/kosmorra usr/lib/kosmorra/kosmorra usr/lib/kosmorra/Themes/Space.OIL \
         usr/lib/kosmorra/Themes/Space.ini usr/lib/kosmorra/Music/Sound.mp3 \
         usr/lib/kosmorra/levels/Level1.sal usr/lib/kosmorra/levels/Level50.sal \
         usr/share/applications/kosmorra.desktop \
         usr/share/icons/hicolor/64x64/apps/kosmorra.png \
         usr/share/icons/hicolor/256x256/apps/kosmorra.png \
         usr/share/metainfo/org.kosmorra.kosmorra.metainfo.xml \
         usr/share/man/man6/kosmorra.6.gz usr/share/doc/kosmorra/copyright \
         usr/share/doc/kosmorra/changelog.gz; do
    [ -e "$WORK/tree/$f" ] || { echo "missing in the package: $f"; exit 1; }
done
# A PNG's width and height are big-endian words at bytes 16 and 20.
for size in 64 256; do
    dims=$(od -An -tu1 -j16 -N8 "$WORK/tree/usr/share/icons/hicolor/${size}x${size}/apps/kosmorra.png" |
        awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }')
    [ "$dims" = "${size}x${size}" ] || { echo "the ${size}x${size} icon is $dims"; exit 1; }
done
desktop-file-validate "$WORK/tree/usr/share/applications/kosmorra.desktop"
appstreamcli validate --no-net --pedantic \
    "$WORK/tree/usr/share/metainfo/org.kosmorra.kosmorra.metainfo.xml"
lintian --fail-on error "$PACKAGE"

if [ "$(id -u)" -ne 0 ]; then
    echo "not root: the package was built and checked but not installed"
    exit 0
fi
if dpkg-query -W -f='${Status}' kosmorra 2>/dev/null | grep -q installed; then
    echo "kosmorra is installed on this system already: left alone, not installed over"
    exit 0
fi

# One install at a time, should several builds run this test at once.
exec 9>/tmp/kosmorra-package-test.lock
flock 9
dpkg -i "$PACKAGE" >/dev/null
INSTALLED=$(dpkg -L kosmorra)
remove() {
    dpkg -r kosmorra >/dev/null
    for path in $INSTALLED /usr/lib/kosmorra /usr/share/doc/kosmorra; do
        if [ -e "$path" ] && { [ ! -d "$path" ] || [ "${path#*kosmorra}" != "$path" ]; }; then
            echo "left behind after dpkg -r: $path"
            exit 1
        fi
    done
}

# The installed game, as a player starts it, with a home of its own.
PLAYER_HOME="$WORK/home"
mkdir -p "$PLAYER_HOME"
cd /
HOME="$PLAYER_HOME" XDG_DATA_HOME="$PLAYER_HOME/data" SDL_VIDEODRIVER=dummy \
    SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0 /usr/games/kosmorra >"$WORK/log" 2>&1 &
GAME=$!
sleep 3
if ! kill -0 "$GAME" 2>/dev/null; then
    echo "the installed game ended at once:"; cat "$WORK/log"; remove; exit 1
fi
kill "$GAME" 2>/dev/null || true
wait "$GAME" 2>/dev/null || true
status=0
[ -e "$PLAYER_HOME/data/kosmorra/compleated.cmp" ] ||
    { echo "no progress file in the player's folder"; ls -la "$PLAYER_HOME/data/kosmorra"; status=1; }
leftovers=$(find /usr/lib/kosmorra -newer "$PACKAGE" -type f)
[ -z "$leftovers" ] || { echo "the game wrote into the installed folder: $leftovers"; status=1; }
remove
[ $status -eq 0 ] && echo "installed, started and removed: $(basename "$PACKAGE")"
exit $status
