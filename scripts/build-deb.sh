#!/usr/bin/env bash
# Builds Terravik for release in build-deb/ (configured once, then rebuilt
# incrementally), makes its Debian package with CPack and prints the package's
# path, alone on standard output (the build talks on standard error), e.g.
#   apt install "$(scripts/build-deb.sh)"
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/.." && pwd)"
# shellcheck source=scripts/setup.sh
source "$here/setup.sh"

terravik_install_packages >&2
terravik_build build-deb -DCMAKE_BUILD_TYPE=Release -DTERRAVIK_BUILD_TESTS=OFF \
    -DTERRAVIK_BUILD_BENCH=OFF >&2

# A package directory of its own holds only this run's package.
out="$root/build-deb/package"
rm -rf "$out"
cpack -G DEB -B "$out" --config "$root/build-deb/CPackConfig.cmake" >&2
deb="$(find "$out" -maxdepth 1 -name '*.deb')"
if [[ -z "$deb" || "$(wc -l <<<"$deb")" -ne 1 ]]; then
    echo "cpack did not make exactly one package in $out" >&2
    exit 1
fi
echo "$deb"
