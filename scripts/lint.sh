#!/usr/bin/env bash
# Checks that our C++ files are formatted with .clang-format and that the
# program's own sources pass the .clang-tidy checks (warnings are errors).
# Needs build/compile_commands.json, which scripts/test.sh makes first.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

# Listed apart so that a failing git stops the lint instead of leaving it
# nothing to check.
listed="$(git ls-files '*.cpp' '*.h')"
mapfile -t ours <<<"$listed"
echo "clang-format: ${#ours[@]} files"
clang-format --dry-run --Werror "${ours[@]}"

sources="$root/(app|forms|terrain|generators|filters|drop|view|world|exports|cli)/[^/]+\\.cpp\$"
echo "clang-tidy: program sources"
run-clang-tidy -quiet -p "$root/build" -j "$(nproc)" "$sources" > "$root/build/clang-tidy.log" 2>&1 ||
  {
    grep -E "(warning|error):" "$root/build/clang-tidy.log" | sort -u
    echo "clang-tidy found problems (full log: build/clang-tidy.log)"
    exit 1
  }
echo "lint: clean"
