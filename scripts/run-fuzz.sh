#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each over the committed inputs
# (tests/inputs/robustness) for a fixed number of executions from a fixed seed, starting from
# an empty scratch corpus: the same commit gets the same answer every time (CI runs this).
# FUZZ_SEED (default 1); FUZZ_RUNS executions for every target instead of each one's own.
# With FUZZ_SECONDS it explores instead (scripts/explore-fuzz.sh): each target runs that
# long from a random seed and keeps what it found useful in <build>/fuzz-corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build-fuzz}
JOBS=${JOBS:-$(nproc)}
CC=clang CXX=clang++ cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELMORA_FUZZ=ON -DVELMORA_BENCH=OFF -DVELMORA_WERROR="${VELMORA_WERROR:-OFF}"
cmake --build "$BUILD_DIR" -j "$JOBS" --target velmora_fuzz
# Free memory goes back to the system at no set moment of the clock either: where blocks
# are handed out again would change with the machine's speed.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1:allocator_release_to_os_interval_ms=-1}
build=$(realpath "$BUILD_DIR")
seeds=$(realpath tests/inputs/robustness)
# Executions of each target: what it reached from seed 1 in about ten seconds, two targets
# on two cores, when they were chosen; the stage's fuzzing takes about two minutes there. A
# new target gets the default; a target that changes much may need its number again.
declare -A runs_of=(
    [activityMap_fuzz]=750000 [audioSample_fuzz]=320000 [binaryTree_fuzz]=800000
    [cameraArray_fuzz]=90000 [dataArray_fuzz]=340000 [fontStrip_fuzz]=380000
    [geoFile_fuzz]=120000 [hostOptions_fuzz]=450000 [imageScript_fuzz]=80000 [leftKeptText_fuzz]=4000
    [material_fuzz]=68000 [paneScript_fuzz]=35000 [picture_fuzz]=1900000
    [platformText_fuzz]=60000 [resourcePackage_fuzz]=420000 [runMarker_fuzz]=40000 [saverDefaults_fuzz]=1600000
    [scriptParser_fuzz]=92000 [settings_fuzz]=16000 [sgi_fuzz]=270000
    [solver_fuzz]=85000 [speciesScript_fuzz]=13000 [thingScript_fuzz]=23000
    [updatePackage_fuzz]=7000 [voxelFile_fuzz]=390000 [waveImage_fuzz]=8600000
    [webReply_fuzz]=800000
)
# The fuzzer keeps the values of comparisons it saw (addresses among them) in a table indexed
# by code address: with addresses that change from run to run it mutates differently, so
# the fixed runs go without address randomisation.
fixed=()
if [ -z "${FUZZ_SECONDS:-}" ]; then
    if setarch "$(uname -m)" -R true 2>/dev/null; then
        fixed=(setarch "$(uname -m)" -R)
    else
        echo "run-fuzz: cannot turn address randomisation off: runs may differ from one to the next" >&2
    fi
fi
scratch=$(mktemp -d /tmp/velmora-fuzz.XXXXXXXXXX)
trap 'rm -rf "$scratch"' EXIT
# One process a target, the machine's cores at a time. Each runs in a folder of its own under
# names of the same length every time, with a bare environment: where the fuzzer's own
# blocks lie, and so the addresses the target compares, follow the lengths of its paths.
# What breaks a target is kept beside its log (written by its absolute name: the target may
# be in another folder as it breaks).
fuzz_one() {
    local target=$1 name dir status=0 found
    name=$(basename "$target")
    dir="$scratch/$name"
    mkdir -p "$dir"
    ln -s "$seeds" "$dir/seeds" # new inputs go to the first folder only
    ln -s "$target" "$dir/$name"
    local how=(-seed="${FUZZ_SEED:-1}" -runs="${FUZZ_RUNS:-${runs_of[$name]:-50000}}" -reload=0)
    if [ -n "${FUZZ_SECONDS:-}" ]; then
        how=(-max_total_time="$FUZZ_SECONDS")
        mkdir -p "$build/fuzz-corpus/$name"
        ln -s "$build/fuzz-corpus/$name" "$dir/corpus"
    else
        mkdir "$dir/corpus"
    fi
    (cd "$dir" && env -i PATH="$PATH" ASAN_OPTIONS="$ASAN_OPTIONS" "${fixed[@]}" "./$name" "${how[@]}" \
        -rss_limit_mb=2048 -timeout=10 -max_len=65536 -artifact_prefix="$dir/" corpus seeds) \
        </dev/null >"$build/$name.log" 2>&1 || status=$?
    for found in "$dir"/crash-* "$dir"/leak-* "$dir"/timeout-* "$dir"/oom-* "$dir"/slow-unit-*; do
        if [ -e "$found" ]; then mv "$found" "$build/$name-$(basename "$found")"; fi
    done
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
        tail -n 60 "$build/$name.log" | cat -v
        echo "fuzz target $name failed" >&2
        failed=1
    fi
    # What it reached (the same for the same commit) and how long it took.
    grep -aE '^#[0-9]+[[:space:]]+DONE|^Done' "$build/$name.log" | sed -E "s/^/$name: /; s/ (exec\/s|rss):.*//" || true
done
exit "$failed"
