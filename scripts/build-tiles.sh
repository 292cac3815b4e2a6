#!/usr/bin/env bash
# Builds a world (or a region of it) as N x N tiles with GNU parallel, one
# terravik process per tile: each tile is a complete command of its own, so
# parallel can also spread the jobs over several machines (--sshlogin).
#
#   scripts/build-tiles.sh --tiles N --export OUT [--jobs J] [--sshlogin LOGINS]
#                          [--terravik PROGRAM] -- WORLD-OPTIONS...
#
# WORLD-OPTIONS are terravik's: --generator, --seed, --size, --region,
# --world, --filter, --normal-map, --splat-map, ... The tiles are
# OUT's NAME_x{i}_y{j}.EXT, with the index NAME.tiles.json beside them. 16-bit
# tiles (.png, .r16) and splat maps share one height range: unless
# WORLD-OPTIONS give --height-range, a first round of jobs finds each tile's
# range and the tiles are then scaled to the whole range.
#
# With --sshlogin the jobs run on other machines: OUT, the filter and world
# files and PROGRAM must lie at the same paths there (a shared folder).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

usage() {
  sed -n '2,/^set /p' "${BASH_SOURCE[0]}" | sed '$d' | sed 's/^# \{0,1\}//' >&2
  exit 2
}

tiles=""
output=""
jobs="$(nproc)"
program="$root/build/app/terravik"
parallel_options=()
while (($# > 0)); do
  case "$1" in
    --tiles) tiles="${2:?}"; shift 2 ;;
    --export) output="${2:?}"; shift 2 ;;
    --jobs) jobs="${2:?}"; shift 2 ;;
    --sshlogin) parallel_options+=(--sshlogin "${2:?}"); shift 2 ;;
    --terravik) program="${2:?}"; shift 2 ;;
    --) shift; break ;;
    *) usage ;;
  esac
done
world=("$@")
if [[ -z "$tiles" || -z "$output" || ! "$tiles" =~ ^[1-9][0-9]*$ ]]; then
  usage
fi
if ! command -v parallel >/dev/null; then
  echo "build-tiles.sh: GNU parallel is missing: scripts/setup.sh installs it" >&2
  exit 1
fi

# The tile columns and rows. run_tiles OPTIONS... runs terravik for every tile
# with the grid, the options and --tile I,J.
indices=($(seq 0 $((tiles - 1))))
run_tiles() {
  local options=(--tiles "$tiles" --quiet "$@")
  parallel --halt now,fail=1 --jobs "$jobs" "${parallel_options[@]}" \
    "$program" "${options[@]@Q}" --tile {1},{2} ::: "${indices[@]}" ::: "${indices[@]}"
}

needs_range=false
case "${output,,}" in
  *.png | *.r16) [[ "${output,,}" == *.normal.png ]] || needs_range=true ;;
esac
[[ " ${world[*]} " == *" --splat-map "* ]] && needs_range=true
[[ " ${world[*]} " == *" --height-range "* ]] && needs_range=false

range=()
if $needs_range; then
  # The range round writes nothing: the maps' options stay out of it.
  heights_only=()
  skip=false
  for option in "${world[@]}"; do
    if $skip; then
      skip=false
    elif [[ "$option" == --normal-map || "$option" == --splat-map ]]; then
      skip=true
    elif [[ "$option" != --normal-map=* && "$option" != --splat-map=* ]]; then
      heights_only+=("$option")
    fi
  done
  ranges="$(run_tiles "${heights_only[@]}" --print-height-range)"
  lowest="$(grep -v none <<<"$ranges" | cut -d, -f1 | sort -g | head -n 1 || true)"
  highest="$(grep -v none <<<"$ranges" | cut -d, -f2 | sort -g | tail -n 1 || true)"
  if [[ -n "$lowest" ]]; then
    range=(--height-range "$lowest,$highest")
    echo "build-tiles.sh: heights from $lowest to $highest" >&2
  fi
fi
run_tiles "${world[@]}" "${range[@]}" --export "$output"
echo "build-tiles.sh: wrote $((tiles * tiles)) tiles of $output" >&2
