#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while.
# FUZZ_SECONDS (default 20) per target, or FUZZ_RUNS executions when set.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build-fuzz}
JOBS=${JOBS:-$(nproc)}
CC=clang CXX=clang++ cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELMORA_FUZZ=ON -DVELMORA_BENCH=OFF -DVELMORA_WERROR="${VELMORA_WERROR:-OFF}"
cmake --build "$BUILD_DIR" -j "$JOBS" --target velmora_fuzz
limit="-max_total_time=${FUZZ_SECONDS:-20}"
if [ -n "${FUZZ_RUNS:-}" ]; then limit="-runs=$FUZZ_RUNS"; fi
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}
build=$(realpath "$BUILD_DIR")
seeds=$(realpath tests/inputs/robustness)
# Absolute paths, wherever the script is started from; a crash's input is kept beside the
# target's log. The targets run side by side, the machine's cores at a time, each for its
# whole time.
fuzz_one() {
    local target=$1 name corpus status=0
    name=$(basename "$target")
    corpus="$build/fuzz-corpus/$name"
    mkdir -p "$corpus"
    # The committed inputs seed every target; each keeps what it finds useful.
    "$target" "$limit" -rss_limit_mb=2048 -timeout=10 -max_len=65536 -artifact_prefix="$build/$name-" \
        "$corpus" "$seeds" </dev/null 2>"$build/$name.log" || status=$?
    echo "$status" >"$build/$name.rc"
}
targets=("$build"/tests/fuzz/*_fuzz)
for target in "${targets[@]}"; do
    rm -f "$build/$(basename "$target").rc"
    fuzz_one "$target" &
    while [ "$(jobs -rp | wc -l)" -ge "$JOBS" ]; do sleep 0.2; done
done
wait
failed=0
for target in "${targets[@]}"; do
    name=$(basename "$target")
    if [ "$(cat "$build/$name.rc" 2>/dev/null)" != 0 ]; then
        tail -n 60 "$build/$name.log"
        echo "fuzz target $name failed" >&2
        failed=1
    fi
    grep -E '^Done|DONE' "$build/$name.log" | tail -n 1 | sed "s/^/$name: /" || true
done
exit "$failed"
