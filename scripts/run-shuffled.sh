#!/usr/bin/env bash
# Runs every test program whole, in one process, with its tests in shuffled order, once per
# seed: tests must hold in any order within one process (CTest runs each case alone).
# Usage: scripts/run-shuffled.sh [build dir] (default build-asan); SEEDS="1 2 3" to choose.
set -uo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${1:-${BUILD_DIR:-build-asan}}
SEEDS=${SEEDS:-"11 29 47"}
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan.supp:use_tls=0}
export LP_NUM_THREADS=${LP_NUM_THREADS:-0}
export MESA_SHADER_CACHE_DISABLE=${MESA_SHADER_CACHE_DISABLE:-true}
export LIBGL_ALWAYS_SOFTWARE=1
runner=()
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then runner=(xvfb-run -a -s "-screen 0 1280x1024x24"); fi
log=$(mktemp -d)
failed=0
names=()
for program in "$BUILD_DIR"/tests/velmora_*_tests; do
    [ -x "$program" ] || continue
    program=$(realpath "$program")
    for seed in $SEEDS; do
        name="$(basename "$program")-$seed"
        names+=("$name")
        # Each program runs in a folder of its own: some tests write into the working folder.
        mkdir -p "$log/$name.d"
        (
            cd "$log/$name.d" || exit 1
            "${runner[@]}" "$program" --gtest_shuffle --gtest_random_seed="$seed" >"$log/$name.txt" 2>&1
            echo $? >"$log/$name.rc"
        ) &
        # The machine's cores at a time, not more.
        while [ "$(jobs -rp | wc -l)" -ge "${JOBS:-$(nproc)}" ]; do sleep 0.2; done
    done
done
wait
for name in "${names[@]}"; do
    if [ "$(cat "$log/$name.rc" 2>/dev/null)" != 0 ]; then
        echo "FAILED: ${name%-*} shuffled with seed ${name##*-}"
        grep -E "FAILED|ERROR|runtime error|ended the process|Segmentation|AddressSanitizer" "$log/$name.txt" | head -20
        failed=1
    fi
done
[ "$failed" -eq 0 ] && echo "shuffled runs: every test program passed with seeds $SEEDS"
rm -rf "$log"
exit "$failed"
