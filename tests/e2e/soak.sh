#!/bin/sh
# soak.sh PLAYER RUNTIME_DIR FRAMES [SEED]: plays the real game for FRAMES frames with a random
# script of keys, clicks and typed text across every screen (never answering the exit question
# yes), under the test build's sanitizers with leak checking. Fails on any crash, sanitizer or
# leak report, and when the resident size still grows in the last third of the run (measured
# every thousand frames; the sanitizer's quarantine is kept small so that it settles early).
set -eu
PLAYER=$(readlink -f "$1")
RUNTIME=$(readlink -f "$2")
FRAMES="$3"
SEED="${4:-1}"

ROOT=$(mktemp -d "${TMPDIR:-/tmp}/kosmorra-soak.XXXXXX")
trap 'rm -rf "$ROOT"' EXIT
cp -R "$RUNTIME/levels" "$RUNTIME/Themes" "$RUNTIME/Music" "$ROOT/"
SCRIPT="$ROOT/soak.play"

awk -v frames="$FRAMES" -v seed="$SEED" 'BEGIN {
    srand(seed)
    split("Left Right Up Down Left Right Up Down U Escape Return Space", keys, " ")
    done = 0; next_check = 1000
    while (done < frames) {
        r = rand()
        if (r < 0.45) {
            k = keys[int(rand() * 12) + 1]
            n = int(rand() * 40) + 1
            printf "down %s\nframes %d\nup %s\n", k, n, k
            done += n
        } else if (r < 0.85) {
            x = int(rand() * 1024); y = int(rand() * 768)
            # The dialog'"'"'s yes button ends the program from the menu: never click there.
            if (x >= 340 && x <= 520 && y >= 470 && y <= 510) continue
            printf "click %d %d\n", x, y
            done += 1
        } else if (r < 0.95) {
            printf "type %d\n", int(rand() * 60)
        } else {
            n = int(rand() * 60) + 1
            printf "frames %d\n", n
            done += n
        }
        if (done >= next_check) {
            printf "state state-%d.json\n", next_check / 1000
            next_check += 1000
        }
    }
    printf "expect running true\n"
}' > "$SCRIPT"

cd "$ROOT"
ASAN_OPTIONS="${ASAN_OPTIONS:-}:quarantine_size_mb=8:detect_leaks=1" \
    "$PLAYER" --root "$ROOT" "$SCRIPT" > soak.log 2>&1 || {
    echo "the soak run failed:"; tail -40 soak.log; exit 1; }

# Resident size every thousand frames; the last third must not keep growing beyond noise.
COUNT=$(ls state-*.json 2>/dev/null | wc -l)
if [ "$COUNT" -ge 6 ]; then
    FROM=$((COUNT * 2 / 3))
    FIRST=$(sed -n 's/.*"residentKb": *\([0-9]*\).*/\1/p' "state-$FROM.json" | head -n 1)
    LAST=$(sed -n 's/.*"residentKb": *\([0-9]*\).*/\1/p' "state-$COUNT.json" | head -n 1)
    echo "resident size at frame ${FROM}000: ${FIRST} kB, at frame ${COUNT}000: ${LAST} kB"
    if [ "$LAST" -gt $((FIRST + 4096)) ]; then
        echo "memory grows during the soak"; exit 1
    fi
fi
echo "soaked $FRAMES frames (seed $SEED), $(grep -c 'message box' soak.log || true) message boxes"
