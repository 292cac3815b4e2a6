#!/usr/bin/env bash
# Sets up this machine, builds Terravik four times (build/ as shipped,
# build-asan/ with AddressSanitizer, LeakSanitizer and UBSan, build-fuzz/ with
# clang's libFuzzer, build-tsan/ with ThreadSanitizer for the core and its
# tests only), checks formatting and clang-tidy, runs the whole suite in each
# build, and checks that an aarch64 build (build-arm64/, under qemu) makes the
# same worlds. Widget tests need a display: without one, CTest runs under Xvfb.
#
# The aarch64 check adds Debian's arm64 architecture, and its packages must
# match the installed ones version for version, so it may upgrade many of
# them. TERRAVIK_SKIP_ARM64=1 leaves that check (and those packages) out.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/.." && pwd)"
source "$here/setup.sh"

case "${TERRAVIK_SKIP_ARM64:-0}" in
0) with_arm64=1 ;;
1) with_arm64=0 ;;
*)
  echo "TERRAVIK_SKIP_ARM64 is 1 to skip the aarch64 check, 0 or unset to run it" >&2
  exit 2
  ;;
esac

terravik_install_packages
if ((with_arm64)); then terravik_install_arm64_packages; fi
SECONDS=0
terravik_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
terravik_build build-asan -DCMAKE_BUILD_TYPE=Debug -DTERRAVIK_SANITIZE=ON -DTERRAVIK_BUILD_BENCH=OFF
# libFuzzer needs clang; this tree builds only the core and the fuzz targets.
terravik_build build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTERRAVIK_BUILD_FUZZ=ON -DTERRAVIK_BUILD_TESTS=OFF -DTERRAVIK_BUILD_BENCH=OFF -DTERRAVIK_BUILD_TOOLS=OFF
# The core spreads large maps over threads; this tree holds only the core and
# its tests (no widgets), built and run under ThreadSanitizer.
terravik_build build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTERRAVIK_SANITIZE_THREAD=ON \
  -DTERRAVIK_BUILD_BENCH=OFF -DTERRAVIK_BUILD_TOOLS=OFF -- --target terravik_core_tests

echo "=== Built in ${SECONDS} s ==="

with_display=()
if [[ -z "${DISPLAY:-}" ]]; then
  with_display=(xvfb-run -a -s "-screen 0 1280x1024x24")
fi

status=0
echo "=== Lint ==="
"$here/lint.sh" || status=1

for dir in build build-asan build-fuzz build-tsan; do
  echo "=== Tests in $dir ==="
  SECONDS=0
  only=()
  if [[ "$dir" == build-tsan ]]; then only=(-L core); fi
  (cd "$root/$dir" && "${with_display[@]}" ctest --output-on-failure -j "$(nproc)" "${only[@]}") ||
    status=1
  echo "=== Tests in $dir took ${SECONDS} s ==="
done

if ((with_arm64)); then
  echo "=== The same worlds on aarch64 ==="
  SECONDS=0
  "$here/check-golden-worlds-arm64.sh" || status=1
  echo "=== aarch64 check took ${SECONDS} s ==="
else
  echo "=== The aarch64 check was skipped (TERRAVIK_SKIP_ARM64=1) ==="
fi

echo "=== Lines of C++ ==="
"$here/count-lines.sh"
exit "$status"
