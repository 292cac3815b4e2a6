#!/usr/bin/env bash
# Builds the golden-world printer with g++ and clang++, each at -O0 and -O2,
# and checks that all four print the same checksums (worlds, filtered worlds
# and drop paths) and that the worlds' match the table in
# tests/generators/goldenworlds.cpp (the printer fails on a mismatch).
# Then reckons the table again with the independent Python model when python3
# is at hand. A world must not depend on the compiler or the optimiser.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The core that makes worlds: the filters' maths without their dialogs.
mapfile -t filter_sources < <(ls "$root"/filters/*.cpp | grep -v dialog)
sources=(
  "$root"/terrain/*.cpp "$root"/generators/*.cpp "${filter_sources[@]}" "$root"/drop/*.cpp
  "$root/tests/generators/goldenworlds.cpp"
)
read -r -a qt_cflags <<<"$(pkg-config --cflags Qt5Core Qt5Gui)"
read -r -a qt_libs <<<"$(pkg-config --libs Qt5Core Qt5Gui)"

status=0
reference=""
for compiler in g++ clang++; do
  for level in -O0 -O2; do
    name="$compiler$level"
    "$compiler" -std=c++17 "$level" -ffp-contract=off -fPIC -Wall -Wextra -Wpedantic -Werror \
      -I"$root" "${qt_cflags[@]}" "${sources[@]}" "${qt_libs[@]}" -o "$work/$name"
    if ! "$work/$name" >"$work/$name.txt"; then
      echo "$name: checksums differ from the table:"
      cat "$work/$name.txt"
      status=1
    fi
    if [[ -z "$reference" ]]; then
      reference="$name"
    elif ! diff -u "$work/$reference.txt" "$work/$name.txt"; then
      echo "$name prints other checksums than $reference"
      status=1
    fi
  done
done
echo "=== $reference"
cat "$work/$reference.txt"

if command -v python3 >/dev/null; then
  if ! python3 "$root/tests/generators/golden_worlds.py" \
    --check "$root/tests/generators/goldenworlds.cpp" >"$work/python.txt"; then
    cat "$work/python.txt"
    status=1
  fi
fi

if ((status == 0)); then
  echo "All golden worlds match for g++ and clang++ at -O0 and -O2."
fi
exit "$status"
