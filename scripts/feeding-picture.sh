#!/usr/bin/env bash
# Renders docs/feeding.png: the program itself, headless, showing the default tank while
# the fish gather at food dropped by the automatic feeding (set to two seconds for this run).
#   VELMORA_SKIP_DEPS=1  do not install packages (they are there already)
#   BUILD_DIR            the Release build folder (build-release)
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${VELMORA_SKIP_DEPS:-0}" != "1" ]; then bash scripts/install-deps.sh; fi
BUILD_DIR=${BUILD_DIR:-build-release}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF -DVELMORA_BENCH=OFF
cmake --build "$BUILD_DIR" -j "$(nproc)" --target velmora velmora_resources
# A data folder of its own whose settings only turn the automatic feeding up.
data=$(mktemp -d /tmp/velmora-feeding-XXXXXX)
trap 'rm -rf "$data"' EXIT
printf ':set autoFeedSeconds 2\n' >"$data/settings.txt"
mkdir -p docs
VELMORA_DATA_DIR="$data/" "$BUILD_DIR/src/app/velmora" --headless 960x540 --frames 660 --every 60 \
    --screenshot "$data/frame%d.png"
cp "$data/frame660.png" docs/feeding.png
echo "Wrote docs/feeding.png"
