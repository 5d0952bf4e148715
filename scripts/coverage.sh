#!/usr/bin/env bash
# Line coverage of src/ by the test suite (gcc --coverage, summarised by gcovr).
# Usage: bash scripts/coverage.sh   (BUILD_DIR defaults to build-coverage)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build-coverage}
JOBS=${JOBS:-$(nproc)}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELMORA_BENCH=OFF \
    -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++ \
    -DCMAKE_CXX_FLAGS="--coverage -O0" -DCMAKE_C_FLAGS="--coverage -O0" \
    -DCMAKE_EXE_LINKER_FLAGS="--coverage"
cmake --build "$BUILD_DIR" -j "$JOBS"
find "$BUILD_DIR" -name '*.gcda' -delete
ctest --test-dir "$BUILD_DIR" -j "$JOBS" --output-on-failure --timeout 600 >"$BUILD_DIR/ctest.log" || {
    tail -n 40 "$BUILD_DIR/ctest.log"
    exit 1
}
gcovr --root . --filter 'src/' --object-directory "$BUILD_DIR" --print-summary \
    --txt "$BUILD_DIR/coverage.txt" "$BUILD_DIR" | tail -n 3
