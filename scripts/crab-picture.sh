#!/usr/bin/env bash
# Renders docs/crab.png: the program itself, headless, showing the default tank's crab on the
# sand through the tank's "crab" camera, four seconds after the tank appeared.
#   VELMORA_SKIP_DEPS=1  do not install packages (they are there already)
#   BUILD_DIR            the Release build folder (build-release)
#   JOBS                 parallel build jobs (all processors)
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${VELMORA_SKIP_DEPS:-0}" != "1" ]; then bash scripts/install-deps.sh; fi
BUILD_DIR=${BUILD_DIR:-build-release}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF -DVELMORA_BENCH=OFF
cmake --build "$BUILD_DIR" -j "${JOBS:-$(nproc)}" --target velmora velmora_resources
# A data folder of its own, and an install folder whose default tank opens on its "crab"
# camera (number 4): a copy of the staged tree whose tank definition picks that camera last.
work=$(mktemp -d /tmp/velmora-crab-picture-XXXXXX)
trap 'rm -rf "$work"' EXIT
cp -r "$BUILD_DIR/resources" "$work/install"
mkdir -p "$work/data"
sed -i 's/^\(\s*\):remaining$/\1:set currentCamera 4\n\1:remaining/' "$work/install/tanks/wabi_sabi/wabi_sabi.tank"
mkdir -p docs
VELMORA_DATA_DIR="$work/data/" VELMORA_INSTALL_DIR="$work/install/" "$BUILD_DIR/src/app/velmora" \
    --headless 960x540 --frames 240 --screenshot docs/crab.png
echo "Wrote docs/crab.png"
