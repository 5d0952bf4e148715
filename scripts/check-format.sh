#!/usr/bin/env bash
# Fails when a tracked C++ file differs from what clang-format makes of it (.clang-format).
set -euo pipefail
cd "$(dirname "$0")/.."
CLANG_FORMAT=${CLANG_FORMAT:-clang-format}
git ls-files -z -- '*.cpp' '*.h' | xargs -0 -r "$CLANG_FORMAT" --dry-run --Werror
echo "formatting: clean"
