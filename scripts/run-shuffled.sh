#!/usr/bin/env bash
# Runs every test program whole, in one process, with its tests in shuffled order, once per
# seed: tests must hold in any order within one process (CTest runs each case alone).
# A program whose tests take more than half a core's share of all the runs' time (from the
# last CTest run of the build: its cost data) is run in shards, one process a shard, still
# shuffled within each, so that the cores finish together; each seed takes one shard more,
# so that its tests meet other neighbours each time.
# Usage: scripts/run-shuffled.sh [build dir] (default build-asan); SEEDS="1 2 3" to choose.
set -uo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${1:-${BUILD_DIR:-build-asan}}
SEEDS=${SEEDS:-"11 29 47"}
JOBS=${JOBS:-$(nproc)}
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan.supp:use_tls=0}
export LP_NUM_THREADS=${LP_NUM_THREADS:-0}
export MESA_SHADER_CACHE_DISABLE=${MESA_SHADER_CACHE_DISABLE:-true}
export LIBGL_ALWAYS_SOFTWARE=1
runner=()
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then runner=(xvfb-run -a -s "-screen 0 1280x1024x24"); fi
costs="$BUILD_DIR/Testing/Temporary/CTestCostData.txt"
# The seconds a program's tests took, each alone, in the last CTest run (0 when unknown).
seconds_of() {
    local listed="$BUILD_DIR/tests/$(basename "$1")[1]_tests.cmake"
    [ -f "$costs" ] && [ -f "$listed" ] || { echo 0; return; }
    awk 'FNR == NR { if ($0 == "---") done = 1; if (!done) cost[$1] = $3; next }
         match($0, /^add_test\(\[=\[[^]]*/) { sum += cost[substr($0, 13, RLENGTH - 12)] }
         END { printf "%d\n", sum }' "$costs" "$listed"
}
log=$(mktemp -d)
programs=() seconds=() total=0
for program in "$BUILD_DIR"/tests/velmora_*_tests; do
    [ -x "$program" ] || continue
    programs+=("$(realpath "$program")")
    seconds+=("$(seconds_of "$program")")
    total=$((total + ${seconds[-1]}))
done
seeds=$(wc -w <<<"$SEEDS")
# One job a line: seconds a shard, program, seed, shards, shard; the longest start first.
for i in "${!programs[@]}"; do
    program=${programs[i]}
    shards=1
    [ "$total" -gt 0 ] && shards=$(((2 * ${seconds[i]} * JOBS + seeds * total - 1) / (seeds * total)))
    [ "$shards" -lt 1 ] && shards=1
    for seed in $SEEDS; do
        for ((shard = 0; shard < shards; shard++)); do
            echo "$((${seconds[i]} / shards)) $program $seed $shards $shard"
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
        GTEST_TOTAL_SHARDS=$shards GTEST_SHARD_INDEX=$shard "${runner[@]}" "$program" --gtest_shuffle \
            --gtest_random_seed="$seed" </dev/null >"$log/$name.txt" 2>&1
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
        echo "FAILED: $program shuffled with seed $seed (shard $((shard + 1)) of $shards)"
        grep -E "FAILED|ERROR|runtime error|ended the process|Segmentation|AddressSanitizer" "$log/$name.txt" | head -20
        failed=1
    fi
done
[ "$failed" -eq 0 ] && echo "shuffled runs: every test program passed with seeds $SEEDS (${#names[@]} processes)"
rm -rf "$log"
exit "$failed"
