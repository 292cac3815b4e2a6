#!/usr/bin/env bash
# Builds the fuzz targets with clang in build-fuzz/ (incrementally) and runs
# each for the given number of seconds (default 300). Each target grows its own
# working corpus in fuzz-out/<target>/, seeded from fuzz/corpus/<target>/, and
# leaves any failing input in fuzz-out/artifacts/. The committed corpus is only
# read.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/.." && pwd)"
source "$here/setup.sh"

seconds="${1:-300}"
targets=(fuzz_filters fuzz_drops fuzz_fastpaths fuzz_worldfile fuzz_erosion)

terravik_install_packages
build="$root/build-fuzz"
if [[ ! -f "$build/build.ninja" ]]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTERRAVIK_BUILD_FUZZ=ON \
    -DTERRAVIK_BUILD_TESTS=OFF -DTERRAVIK_BUILD_BENCH=OFF
fi
cmake --build "$build" -j "$(nproc)" --target terravik_fuzzers

out="$root/fuzz-out"
mkdir -p "$out/artifacts"
status=0
summary=()
for target in "${targets[@]}"; do
  echo "=== $target: $seconds s ==="
  mkdir -p "$out/$target"
  log="$out/$target.log"
  if "$build/fuzz/$target" "$out/$target" "$root/fuzz/corpus/$target" \
    -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$out/artifacts/$target-" 2>&1 | tee "$log"; then
    result=passed
  else
    result=FAILED
    status=1
  fi
  executions="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
  coverage="$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1 | grep -oE 'cov: [0-9]+ ft: [0-9]+' || true)"
  summary+=("$target: $result, ${executions:-?} executions, ${coverage:-no coverage line}")
done

echo "=== Summary ==="
printf '%s\n' "${summary[@]}"
if ((status != 0)); then
  echo "Failing inputs are in $out/artifacts/"
fi
exit "$status"
