#!/usr/bin/env bash
# Builds the program, its tests and the benchmarks as a user builds them (gcc, RelWithDebInfo,
# no sanitizers) and runs the program's own tests (tests/app: they start the aquarium, in the
# test process and as processes of its own) whole, in shuffled order, in shards side by side
# (scripts/run-shuffled.sh), each process on a virtual display of its own. The sanitizers
# slow every start several times and fill fresh memory: what holds only under them, a start
# that comes too soon or reads memory nobody wrote, shows here. CI runs this after
# scripts/run-tests.sh, which runs these tests with the sanitizers (whole, in shuffled order,
# from another seed).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build-plain}
JOBS=${JOBS:-$(nproc)}
# CI keeps line tables only, as the sanitizer build does.
flags=()
if [ -n "${CI:-}" ]; then
    flags=(-DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG")
fi
started=$SECONDS
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_SANITIZE=OFF -DVELMORA_BENCH=ON \
    -DVELMORA_WERROR="${VELMORA_WERROR:-OFF}" "${flags[@]}"
cmake --build "$BUILD_DIR" -j "$JOBS" --target velmora velmora_app_tests velmora_bench
echo "run-plain-tests: the build took $((SECONDS - started)) s"
# The rasteriser on the calling thread, as in the sanitizer runs: one test a core.
export LP_NUM_THREADS=${LP_NUM_THREADS:-0}
# The shaders the GL library compiled, kept in a cache of the build's own (never the home's).
export MESA_SHADER_CACHE_DISABLE=${MESA_SHADER_CACHE_DISABLE:-false}
export MESA_SHADER_CACHE_DIR=${MESA_SHADER_CACHE_DIR:-$(realpath "$BUILD_DIR")/shader-cache}
started=$SECONDS
status=0
JOBS=$JOBS PROGRAMS=velmora_app_tests SEEDS=${SEEDS:-12} bash scripts/run-shuffled.sh "$BUILD_DIR" || status=$?
echo "run-plain-tests: the program's tests took $((SECONDS - started)) s"
exit "$status"
