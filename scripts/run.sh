#!/usr/bin/env bash
# Sets up this machine, builds Terravik in build/ and starts it.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
program="$(cd "$here/.." && pwd)/build/app/terravik"
source "$here/setup.sh"

terravik_install_packages
terravik_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "No display found: run it under Xvfb with: xvfb-run -a -s \"-screen 0 1280x1024x24\" $program"
  exit 1
fi
exec "$program" "$@"
