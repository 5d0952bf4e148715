#!/usr/bin/env bash
# Configures, builds (with AddressSanitizer and UndefinedBehaviorSanitizer) and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build-asan}
JOBS=${JOBS:-$(nproc)}
# CI keeps line tables only, all the sanitizers' reports need: the build takes a third less
# time than with a debugger's full information.
flags=()
if [ -n "${CI:-}" ]; then
    flags=(-DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG")
fi
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_SANITIZE=ON \
    -DVELMORA_WERROR="${VELMORA_WERROR:-OFF}" "${flags[@]}"
cmake --build "$BUILD_DIR" -j "$JOBS"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# The leak checker ignores what the GL libraries keep for the life of the process. It cannot
# stop the GL library's own threads when a process ends (its shader-cache thread, the
# rasteriser's threads), so the tests run without them. Nor does it scan thread-local
# storage: blocks the GL driver's libraries left there can be gone by the exit scan, which
# then crashes; the engine keeps nothing thread-local.
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan.supp:use_tls=0}
export LP_NUM_THREADS=${LP_NUM_THREADS:-0}
export MESA_SHADER_CACHE_DISABLE=${MESA_SHADER_CACHE_DISABLE:-true}
# The tests that draw in X windows need a display: without one they run under a virtual one.
runner=()
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then runner=(xvfb-run -a -s "-screen 0 1280x1024x24"); fi
"${runner[@]}" ctest --test-dir "$BUILD_DIR" -j "$JOBS" --output-on-failure --timeout 600
