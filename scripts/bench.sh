#!/usr/bin/env bash
# Sets up this machine, builds Terravik in Release in build-release/ and runs
# the benchmarks: the numeric core at 99 x 99 up to 4096 x 4096, each fast path
# beside the plain serial loop it replaces (with a table of the ratios after),
# then the real commands of the main window (under Xvfb when there is no
# display). Extra arguments go to both benchmark programs, e.g.
# --benchmark_filter=Filter.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/.." && pwd)"
source "$here/setup.sh"

terravik_install_packages
terravik_build build-release -DCMAKE_BUILD_TYPE=Release -DTERRAVIK_BUILD_TESTS=OFF

with_display=()
if [[ -z "${DISPLAY:-}" ]]; then
  with_display=(xvfb-run -a -s "-screen 0 1280x1024x24")
fi

common=(--benchmark_repetitions=5 --benchmark_report_aggregates_only=true)
report="$root/build-release/core-bench.json"
"$root/build-release/bench/terravik_bench" "${common[@]}" --benchmark_out="$report" "$@"
python3 "$here/bench-ratios.py" "$report"
if [[ -x "$root/build-release/bench/terravik_ui_bench" ]]; then
  "${with_display[@]}" "$root/build-release/bench/terravik_ui_bench" "${common[@]}" "$@"
fi

# The command line as scripts use it: a 2048 x 2048 chain world through five
# filters to a PNG, wall time and peak memory of the whole process.
filter="$(mktemp --suffix=.json)"
out="$(mktemp -d)"
trap 'rm -rf "$filter" "$out"' EXIT
echo '{"name": "Smooth", "coefficients": [1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1]}' >"$filter"
for size in 2048x2048 4096x4096; do
  /usr/bin/time -f "command line, chain $size, five filters, PNG: %e s wall, %M KB peak resident" \
    "$root/build-release/app/terravik" --quiet --export "$out/world.png" --generator chain \
    --seed Terravik --size "$size" --filter "$filter" --filter "$filter" --filter "$filter" \
    --filter "$filter" --filter "$filter"
done

# A 4096 x 4096 region of a 65536 x 65536 world against a world of its size,
# and a 16381 x 16381 world as 16 tiles of 4096 x 4096 with GNU parallel
# against one of its tile jobs: wall time and peak memory of each process.
common_world=(--quiet --generator random --seed Terravik --filter "$filter")
/usr/bin/time -f "world 4096 x 4096, random, one filter, PNG: %e s wall, %M KB peak resident" \
  "$root/build-release/app/terravik" "${common_world[@]}" --size 4096x4096 --export "$out/w.png"
/usr/bin/time -f "region 4096 x 4096 of 65536 x 65536, the same: %e s wall, %M KB peak resident" \
  "$root/build-release/app/terravik" "${common_world[@]}" --size 65536x65536 \
  --region 30720,30720,4096,4096 --export "$out/r.png"
tiles=(--generator peaks --seed Terravik --size 16381x16381 --filter "$filter")
range="$("$root/build-release/app/terravik" "${tiles[@]}" --tiles 4 --tile 1,1 --print-height-range)"
/usr/bin/time -f "one tile job of 16 (4096 x 4096, peaks, PNG): %e s wall, %M KB peak resident" \
  "$root/build-release/app/terravik" --quiet "${tiles[@]}" --tiles 4 --tile 1,1 \
  --height-range "$range" --export "$out/t.png"
/usr/bin/time -f "16381 x 16381 as 16 tiles, build-tiles.sh: %e s wall" \
  "$here/build-tiles.sh" --tiles 4 --terravik "$root/build-release/app/terravik" \
  --export "$out/t.png" -- "${tiles[@]}" 2>&1 | grep -v '^build-tiles'
