#!/usr/bin/env bash
# Runs every test program of a build (or the ones PROGRAMS names) whole, in one process, with
# its tests in shuffled order, once per seed (one fixed seed unless told): tests must hold in
# any order within one process (CTest runs each case alone), and the same commit meets the
# same order every time.
# A program whose tests take more than half a core's share of all the runs' time (from the
# last CTest run of the build: its cost data) is run in shards, one process a shard, still
# shuffled within each, so that the cores finish together; each further seed takes one shard
# more, so that its tests meet other neighbours each time. A program CTest has not timed (the
# program's own tests, which scripts/run-tests.sh and scripts/run-plain-tests.sh leave to this
# run) is taken for the longest: it starts first, in four shards a core.
# Usage: scripts/run-shuffled.sh [build dir] (default build-asan); SEEDS="1 2 3" to choose;
# PROGRAMS="velmora_app_tests" to run only those programs.
set -uo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${1:-${BUILD_DIR:-build-asan}}
SEEDS=${SEEDS:-"11"}
JOBS=${JOBS:-$(nproc)}
PROGRAMS=${PROGRAMS:-}
# As scripts/run-tests.sh (for a build with the sanitizers): a write into a frame that has
# returned is caught where it happens.
if grep -q '^VELMORA_SANITIZE:BOOL=ON$' "$BUILD_DIR/CMakeCache.txt" 2>/dev/null; then
    export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1}
    export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
    export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan.supp:use_tls=0}
fi
export LP_NUM_THREADS=${LP_NUM_THREADS:-0}
export MESA_SHADER_CACHE_DISABLE=${MESA_SHADER_CACHE_DISABLE:-false}
export MESA_SHADER_CACHE_DIR=${MESA_SHADER_CACHE_DIR:-$(realpath "$BUILD_DIR")/shader-cache}
export LIBGL_ALWAYS_SOFTWARE=1
# Each process on a virtual X display of its own (when the machine has one to give).
runner=("$PWD/tests/onOwnDisplay.sh")
costs="$BUILD_DIR/Testing/Temporary/CTestCostData.txt"
# The seconds a program's tests took, each alone, in the last CTest run (-1 when none of
# them was timed).
seconds_of() {
    local listed="$BUILD_DIR/tests/$(basename "$1")[1]_tests.cmake"
    [ -f "$costs" ] && [ -f "$listed" ] || { echo -1; return; }
    awk 'FNR == NR { if ($0 == "---") done = 1; if (!done) cost[$1] = $3; next }
         match($0, /^add_test\(\[=\[[^]]*/) { name = substr($0, 13, RLENGTH - 12)
                                              if (name in cost) { sum += cost[name]; timed = 1 } }
         END { printf "%d\n", timed ? sum : -1 }' "$costs" "$listed"
}
log=$(mktemp -d)
programs=() seconds=() total=0
for program in "$BUILD_DIR"/tests/velmora_*_tests; do
    [ -x "$program" ] || continue
    [ -z "$PROGRAMS" ] || [[ " $PROGRAMS " == *" $(basename "$program") "* ]] || continue
    programs+=("$(realpath "$program")")
    seconds+=("$(seconds_of "$program")")
    [ "${seconds[-1]}" -gt 0 ] && total=$((total + ${seconds[-1]}))
done
seeds=$(wc -w <<<"$SEEDS")
# One job a line: seconds a shard, program, seed, shards, shard; the longest start first.
for i in "${!programs[@]}"; do
    program=${programs[i]}
    shards=1
    if [ "${seconds[i]}" -lt 0 ]; then
        shards=$((4 * JOBS))
    elif [ "$total" -gt 0 ]; then
        shards=$(((2 * ${seconds[i]} * JOBS + seeds * total - 1) / (seeds * total)))
    fi
    [ "$shards" -lt 1 ] && shards=1
    for seed in $SEEDS; do
        for ((shard = 0; shard < shards; shard++)); do
            if [ "${seconds[i]}" -lt 0 ]; then estimate=1000000; else estimate=$((${seconds[i]} / shards)); fi
            echo "$estimate $program $seed $shards $shard"
        done
        [ "$shards" -gt 1 ] && shards=$((shards + 1))
    done
done | sort -rn >"$log/jobs"
names=()
while read -r _ program seed shards shard; do
    name="$(basename "$program")-$seed-$shard-$shards"
    names+=("$name")
    # Each process runs in a folder of its own: some tests write into the working folder.
    mkdir -p "$log/$name.d"
    (
        cd "$log/$name.d" || exit 1
        # A process that hangs fails in half an hour rather than holding the run.
        GTEST_TOTAL_SHARDS=$shards GTEST_SHARD_INDEX=$shard "${runner[@]}" timeout -k 30 1800 "$program" \
            --gtest_shuffle --gtest_random_seed="$seed" </dev/null >"$log/$name.txt" 2>&1
        echo $? >"$log/$name.rc"
    ) &
    # The machine's cores at a time, not more.
    while [ "$(jobs -rp | wc -l)" -ge "$JOBS" ]; do sleep 0.2; done
done <"$log/jobs"
wait
failed=0
for name in "${names[@]}"; do
    if [ "$(cat "$log/$name.rc" 2>/dev/null)" != 0 ]; then
        IFS=- read -r program seed shard shards <<<"$name"
        echo "FAILED: $program shuffled with seed $seed (shard $((shard + 1)) of $shards)$(
            [ "$(cat "$log/$name.rc")" = 124 ] && echo ": it did not end within 1800 s")"
        grep -E "FAILED|ERROR|runtime error|ended the process|Segmentation|AddressSanitizer" "$log/$name.txt" | head -20
        failed=1
    fi
done
[ "$failed" -eq 0 ] && echo "shuffled runs: every test program passed with seeds $SEEDS (${#names[@]} processes)"
rm -rf "$log"
exit "$failed"
