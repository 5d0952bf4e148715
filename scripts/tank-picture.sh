#!/usr/bin/env bash
# Renders docs/tank.png and docs/dusk_pool.png, the README's pictures of the two tanks: the
# program itself, headless, after twelve seconds of swimming, when the hint on how to reach the
# menu has gone.
#   VELMORA_SKIP_DEPS=1  do not install packages (they are there already)
#   BUILD_DIR            the Release build folder (build-release)
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${VELMORA_SKIP_DEPS:-0}" != "1" ]; then bash scripts/install-deps.sh; fi
BUILD_DIR=${BUILD_DIR:-build-release}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF -DVELMORA_BENCH=OFF
cmake --build "$BUILD_DIR" -j "$(nproc)" --target velmora velmora_resources
# A data folder of its own, so the picture never depends on saved settings.
data=$(mktemp -d /tmp/velmora-picture-XXXXXX)
trap 'rm -rf "$data"' EXIT
mkdir -p docs
run() { VELMORA_DATA_DIR="$data/" "$BUILD_DIR/src/app/velmora" --headless 960x540 --frames 720 --screenshot "$1"; }
# The first start with a new folder only copies the resources; the second saves the default
# tank as the one shown, so the third opens on the tank after it, the dusk pool.
run docs/tank.png
run "$data/second.png"
run docs/dusk_pool.png
echo "Wrote docs/tank.png and docs/dusk_pool.png"
