#!/usr/bin/env bash
# check_build_tiles.sh PROGRAM: scripts/build-tiles.sh, one process per tile
# under GNU parallel, writes the very files of one terravik run that writes
# every tile: the same tiles, scaled to the one range they share, and the same
# index.
set -euo pipefail
program="$1"
script="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/scripts/build-tiles.sh"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
echo '{"name": "Mean", "coefficients": [1,1,1,1,1, 1,1,1,1,1, 1,1,1,1,1, 1,1,1,1,1, 1,1,1,1,1]}' \
  >mean.json
world=(--generator peaks --seed Terravik --size 90x70 --filter mean.json --splat-map s.png)
"$script" --tiles 3 --jobs 2 --terravik "$program" --export jobs.png -- "${world[@]}" 2>/dev/null
mkdir whole
"$program" --tiles 3 --export whole/jobs.png "${world[@]/s.png/whole/s.png}"
status=0
for file in jobs_x*_y*.png s_x*_y*.png jobs.tiles.json; do
  if ! cmp -s "$file" "whole/$file"; then
    echo "build-tiles.sh wrote another $file than one run of all tiles"
    status=1
  fi
done
count="$(ls jobs_x*_y*.png | wc -l)"
if ((count != 9)); then
  echo "build-tiles.sh wrote $count tiles, not 9"
  status=1
fi
((status == 0)) && echo "build-tiles.sh: 9 tiles and their splat maps, as one run makes them"
exit "$status"
