#!/bin/sh
# Plays one script (see play.sh) and compares every picture it takes with the golden pictures
# of the screens (tests/golden/screen-NAME.png). Usage:
#
#   play_golden.sh PLAYER RUNTIME_DIR OUT_DIR COMPARE SCRIPT
#
# With KOSMORRA_UPDATE_GOLDEN=1 in the environment the golden pictures are rewritten instead;
# look at every one before committing it.
set -eu
PLAYER="$1"
RUNTIME="$2"
OUT="$3"
COMPARE="$4"
SCRIPT="$5"

"$(dirname "$0")/play.sh" "$PLAYER" "$RUNTIME" "$OUT" "$SCRIPT"
# shellcheck disable=SC2046 # one word per picture name
"$COMPARE" "$OUT" $(sed -n 's/^shot[[:space:]]\{1,\}\([^[:space:]]*\).*/\1/p' "$SCRIPT")
