#!/usr/bin/env bash
# Installs the packages, builds a Release tree and starts the aquarium in a window. With no
# X display it renders frames headless instead and says where the picture is.
#   VELMORA_SKIP_DEPS=1  do not install packages (they are there already)
#   BUILD_DIR            the build folder (build-release)
#   JOBS                 parallel build jobs (all cores)
# Any arguments are handed to the program (see: velmora --help).
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${VELMORA_SKIP_DEPS:-0}" != "1" ]; then bash scripts/install-deps.sh; fi
BUILD_DIR=${BUILD_DIR:-build-release}
JOBS=${JOBS:-$(nproc)}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF -DVELMORA_BENCH=OFF
cmake --build "$BUILD_DIR" -j "$JOBS" --target velmora velmora_resources
program="$BUILD_DIR/src/app/velmora"
if [ -n "${DISPLAY:-}" ]; then
    exec "$program" "$@"
fi
picture="$PWD/$BUILD_DIR/velmora.png"
"$program" --headless 1280x720 --frames 240 --screenshot "$picture" "$@"
echo "No X display: 240 frames rendered headless; the last one is $picture"
