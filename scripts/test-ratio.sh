#!/usr/bin/env bash
# Lines of tests against lines of code, per folder of src/ and in total (tests/ against
# src/ + tools/). Only files tracked or added in git count. A report: it never fails.
set -euo pipefail
cd "$(dirname "$0")/.."
lines() { # lines of the C++ files under the given paths
    git ls-files --cached --others --exclude-standard -- "$@" | grep -E '\.(cpp|h)$' | xargs -r cat | wc -l
}
printf '%-12s %8s %8s %7s\n' folder code tests ratio
for dir in src/*/; do
    folder=$(basename "$dir")
    code=$(lines "src/$folder")
    tests=$(lines "tests/$folder")
    ratio=$(awk -v t="$tests" -v c="$code" 'BEGIN { printf (c ? "%.0f%%" : "-"), c ? 100 * t / c : 0 }')
    printf '%-12s %8s %8s %7s\n' "$folder" "$code" "$tests" "$ratio"
done
code=$(lines src tools)
tests=$(lines tests)
ratio=$(awk -v t="$tests" -v c="$code" 'BEGIN { printf "%.1f", 100 * t / c }')
printf '%-12s %8s %8s %6s%%\n' total "$code" "$tests" "$ratio"
