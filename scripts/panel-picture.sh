#!/usr/bin/env bash
# Renders docs/panel.png, the README's picture of the control panel: the program's own view,
# headless, showing the main page over the default tank after five seconds of swimming.
#   VELMORA_SKIP_DEPS=1  do not install packages (they are there already)
#   BUILD_DIR            the Release build folder (build-release)
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${VELMORA_SKIP_DEPS:-0}" != "1" ]; then bash scripts/install-deps.sh; fi
BUILD_DIR=${BUILD_DIR:-build-release}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=ON -DVELMORA_BENCH=OFF
cmake --build "$BUILD_DIR" -j "$(nproc)" --target velmora_app_tests velmora_resources
mkdir -p docs
VELMORA_PANEL_PICTURE="$PWD/docs/panel.png" LIBGL_ALWAYS_SOFTWARE=1 \
    "$BUILD_DIR/tests/velmora_app_tests" --gtest_filter=PanelFrames.ThePanelPicture
echo "Wrote docs/panel.png"
