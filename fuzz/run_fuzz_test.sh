#!/usr/bin/env bash
# run_fuzz_test.sh <fuzzer> <corpus-dir> <seconds>: runs a libFuzzer target for
# a fixed time on a scratch copy of a corpus; fails when the fuzzer finds a
# crash, a leak, a timeout or a broken invariant.
set -euo pipefail
fuzzer="$1"
corpus="$2"
seconds="$3"

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/corpus"
cp "$corpus"/* "$scratch/corpus/"

"$fuzzer" "$scratch/corpus" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
  -print_final_stats=1 -artifact_prefix="$scratch/" ||
  {
    status=$?
    for artifact in "$scratch"/crash-* "$scratch"/leak-* "$scratch"/timeout-* "$scratch"/oom-*; do
      [[ -e "$artifact" ]] || continue
      echo "Failing input ($(basename "$artifact")), hex:"
      od -An -tx1 -v "$artifact"
    done
    exit "$status"
  }
