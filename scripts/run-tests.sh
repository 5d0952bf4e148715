#!/usr/bin/env bash
# Configures, builds (with AddressSanitizer and UndefinedBehaviorSanitizer) and runs every test:
# each case of a test program alone (CTest), then every test program whole, in one process,
# in shuffled order (scripts/run-shuffled.sh). The program's own tests (tests/app) run the
# second way only: each starts the aquarium and draws for seconds, most of all the tests'
# time, and a build without sanitizers runs them the same way from another seed
# (scripts/run-plain-tests.sh).
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
started=$SECONDS
# The benchmarks measure a build without sanitizers (scripts/run-plain-tests.sh builds them).
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_SANITIZE=ON \
    -DVELMORA_BENCH=OFF -DVELMORA_WERROR="${VELMORA_WERROR:-OFF}" "${flags[@]}"
cmake --build "$BUILD_DIR" -j "$JOBS"
echo "run-tests: the build took $((SECONDS - started)) s"
# A write into a frame that has returned (a pointer to a local kept past its function) is
# caught where it happens, not left to clobber whatever frame lies there next: such a write
# crashes a build without sanitizers at random.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# The leak checker ignores what the GL libraries keep for the life of the process. It cannot
# stop the rasteriser's own threads when a process ends, so the tests run without them. Nor
# does it scan thread-local storage: blocks the GL driver's libraries left there can be gone
# by the exit scan, which then crashes; the engine keeps nothing thread-local.
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan.supp:use_tls=0}
export LP_NUM_THREADS=${LP_NUM_THREADS:-0}
# The GL library keeps the shaders it compiled in a cache of the build's own (never the
# home's), so that the next process loads them instead of compiling them again: the
# program's tests, which start the aquarium again and again, take a fifth less time.
export MESA_SHADER_CACHE_DISABLE=${MESA_SHADER_CACHE_DISABLE:-false}
export MESA_SHADER_CACHE_DIR=${MESA_SHADER_CACHE_DIR:-$(realpath "$BUILD_DIR")/shader-cache}
# The tests that draw in X windows need a display: without one they run under a virtual one
# (the programs whose tests open windows give each test a virtual display of its own).
runner=()
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then runner=(xvfb-run -a -s "-screen 0 1280x1024x24"); fi
failed=0
started=$SECONDS
"${runner[@]}" ctest --test-dir "$BUILD_DIR" -j "$JOBS" --output-on-failure --timeout 600 -LE '^app$' || failed=1
echo "run-tests: each case alone took $((SECONDS - started)) s"
started=$SECONDS
bash scripts/run-shuffled.sh "$BUILD_DIR" || failed=1
echo "run-tests: the shuffled runs took $((SECONDS - started)) s"
exit "$failed"
