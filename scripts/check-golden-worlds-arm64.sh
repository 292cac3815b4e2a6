#!/usr/bin/env bash
# Checks that an aarch64 build makes the same worlds as the native x86-64 one:
# cross-compiles the core and the golden-world printer for arm64 with the
# project's own CMake (same sources, same flags, -ffp-contract=off included),
# runs the printer under qemu-user and compares its output with the native
# printer's, line for line: the golden worlds (which the printer also checks
# against its table), filtered worlds and drop paths.
# Installs what it needs itself (Debian's arm64 multiarch packages).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/.." && pwd)"
source "$here/setup.sh"

terravik_install_packages
terravik_install_arm64_packages

printer=tests/generators/golden_worlds
# configure <build-dir> [cmake options...]: once, like the test command's builds.
configure() {
  local dir="$1"
  shift
  if [[ ! -f "$root/$dir/build.ninja" ]]; then
    cmake -S "$root" -B "$root/$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
  fi
}
configure build
# The core alone: the programs' float images need libraries of the build
# machine's architecture (a cross build turns them off by itself too).
configure build-arm64 -DCMAKE_TOOLCHAIN_FILE="$here/aarch64-linux-gnu.cmake" \
  -DTERRAVIK_BUILD_BENCH=OFF -DTERRAVIK_BUILD_TOOLS=OFF -DTERRAVIK_BUILD_PROGRAMS=OFF
cmake --build "$root/build" -j "$(nproc)" --target golden_worlds
cmake --build "$root/build-arm64" -j "$(nproc)" --target golden_worlds

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
status=0
"$root/build/$printer" >"$work/x86-64.txt" || status=1
# qemu-aarch64 runs aarch64 programs only; their loader and libraries are the
# arm64 multiarch ones under /.
qemu-aarch64 -L / "$root/build-arm64/$printer" >"$work/aarch64.txt" || status=1
if ! diff -u "$work/x86-64.txt" "$work/aarch64.txt"; then
  echo "aarch64 prints other results than x86-64"
  status=1
fi
if ((status == 0)); then
  echo "aarch64 makes the same $(wc -l <"$work/aarch64.txt") lines of worlds, filters and drops as x86-64."
else
  echo "=== aarch64"
  cat "$work/aarch64.txt"
fi
exit "$status"
