#!/usr/bin/env bash
# Counts the non-blank lines of the C++ files (.cpp, .h) that git tracks, per
# top folder. Test code is tests/ plus fuzz/; product code is what the program
# is built from, every other folder but bench/ and tools/. Ends with the test
# share, test / (test + product), which the team keeps between 25 % and 33 %.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

git ls-files '*.cpp' '*.h' | while read -r file; do
  folder="${file%%/*}"
  [[ "$folder" == "$file" ]] && folder="."
  echo "$folder $(grep -c '[^[:space:]]' "$file" || true)"
done | awk '
  { lines[$1] += $2 }
  END {
    for (folder in lines) {
      kind = folder ~ /^(tests|fuzz)$/ ? "test" : folder ~ /^(bench|tools)$/ ? "other" : "product"
      printf "%-8s %-12s %6d\n", kind, folder, lines[folder] | "sort"
      total[kind] += lines[folder]
    }
    close("sort")
    share = 100 * total["test"] / (total["test"] + total["product"])
    printf "product %d, test %d lines: test share %.1f %%\n", total["product"], total["test"], share
  }'
