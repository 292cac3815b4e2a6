#!/usr/bin/env bash
# Takes the README's screenshots from the real program: builds the screenshot
# driver (tools/), runs it under a virtual X server, where it works the main
# window through its own widgets and photographs the screen, and writes the
# pictures, stripped and reduced to 256 colours, to docs/images/.
# Running it again gives the same pictures.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/.." && pwd)"
source "$here/setup.sh"

terravik_install_packages
# Only the program and the driver: no tests, no benchmarks.
terravik_build build-screenshots -DCMAKE_BUILD_TYPE=Release -DTERRAVIK_BUILD_TOOLS=ON \
  -DTERRAVIK_BUILD_TESTS=OFF -DTERRAVIK_BUILD_BENCH=OFF

raw="$(mktemp -d)"
trap 'rm -rf "$raw"' EXIT

# No window manager: windows have no decorations and stay where the driver
# puts them. The time limit catches a dialog that never opened.
timeout 300 xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$root/build-screenshots/tools/terravik_screenshots" "$raw"

images="$root/docs/images"
mkdir -p "$images"
max_bytes=$((200 * 1024))
status=0
for shot in new-world smoothed filter-dialog drop-path file-menu colour-by-height \
  erosion-before erosion-after; do
  # Without dithering the flat colours of a screenshot stay flat.
  convert "$raw/$shot.png" -strip +dither -colors 256 "PNG8:$images/$shot.png"
  size=$(stat -c %s "$images/$shot.png")
  echo "docs/images/$shot.png: $size bytes"
  if ((size >= max_bytes)); then
    echo "docs/images/$shot.png is larger than 200 KB" >&2
    status=1
  fi
done
exit "$status"
