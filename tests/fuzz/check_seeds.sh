#!/bin/sh
# check_seeds.sh SEEDS FUZZDIR: the seeds tool writes a corpus for every fuzz target, and the
# committed corpora under FUZZDIR/corpus are exactly what it writes (regenerate them with
# `seeds fuzz/corpus` after changing a writer).
set -eu
SEEDS="$1"
FUZZDIR="$2"
OUT=$(mktemp -d)
trap 'rm -rf "$OUT"' EXIT
"$SEEDS" "$OUT" >/dev/null
status=0
for source in "$FUZZDIR"/fuzz_*.cpp; do
    target=$(basename "$source" .cpp)
    if [ -z "$(ls -A "$OUT/$target" 2>/dev/null)" ]; then
        echo "seeds writes no corpus for $target"
        status=1
    fi
done
diff -r "$OUT" "$FUZZDIR/corpus" || { echo "fuzz/corpus differs from what seeds writes"; status=1; }
exit $status
