#!/bin/sh
# run_fuzzer.sh FUZZER CORPUS RUNS [SECONDS]: runs a libFuzzer target from its committed seed
# corpus. New inputs go to a scratch folder, so the committed corpus never changes; a finding
# fails the run and is kept as findings/<target>-crash-*/leak-*/timeout-*/oom-* beside the
# fuzzer, in the build folder, whatever folder the run starts from.
set -eu
# No exec: the trap must outlive the fuzzer to remove the scratch folder.
FUZZER="$1"
CORPUS="$2"
RUNS="$3"
SECONDS_LIMIT="${4:-0}"
FINDINGS="$(dirname "$FUZZER")/findings"
mkdir -p "$FINDINGS"
PREFIX="-artifact_prefix=$FINDINGS/$(basename "$FUZZER")-"
# -close_fd_mask=2: the readers explain every refusal on stderr, thousands of lines that help
# nobody; libFuzzer and the sanitizers keep a copy of stderr for their own reports.
SCRATCH=$(mktemp -d)
trap 'rm -rf "$SCRATCH"' EXIT
if [ "$SECONDS_LIMIT" -gt 0 ]; then
    "$FUZZER" -max_total_time="$SECONDS_LIMIT" -timeout=10 -rss_limit_mb=2048 -close_fd_mask=2 \
        -print_final_stats=1 "$PREFIX" "$SCRATCH" "$CORPUS"
    exit
fi
"$FUZZER" -runs="$RUNS" -seed=1 -timeout=10 -rss_limit_mb=2048 -close_fd_mask=2 "$PREFIX" \
    "$SCRATCH" "$CORPUS"
