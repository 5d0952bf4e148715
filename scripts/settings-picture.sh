#!/usr/bin/env bash
# Renders docs/settings.png, the README's picture of the options sheet: "velmora --settings"
# on a virtual X screen, the sheet turned to its Settings tab over the running aquarium.
#   VELMORA_SKIP_DEPS=1  do not install packages (they are there already)
#   BUILD_DIR            the Release build folder (build-release)
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${VELMORA_SKIP_DEPS:-0}" != "1" ]; then bash scripts/install-deps.sh; fi
BUILD_DIR=${BUILD_DIR:-build-release}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF -DVELMORA_BENCH=OFF
cmake --build "$BUILD_DIR" -j "${JOBS:-$(nproc)}" --target velmora velmora_resources grabScreen
mkdir -p docs
if [ -z "${VELMORA_PICTURE_DISPLAY:-}" ]; then
    # A virtual screen of its own, and this script again inside it.
    exec xvfb-run -a -s "-screen 0 1280x720x24" env VELMORA_PICTURE_DISPLAY=1 VELMORA_SKIP_DEPS=1 \
        BUILD_DIR="$BUILD_DIR" bash "$0"
fi
# A data and a configuration folder of their own, so the picture never depends on settings.
home=$(mktemp -d /tmp/velmora-settings-XXXXXX)
export VELMORA_DATA_DIR="$home/data/" XDG_CONFIG_HOME="$home/config"
"$BUILD_DIR/src/app/velmora" --settings &
pid=$!
trap 'kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; rm -rf "$home"' EXIT
sheet=""
for _ in $(seq 1 100); do
    sheet=$(xdotool search --name "Velmora Settings" 2>/dev/null | head -n 1 || true)
    [ -n "$sheet" ] && break
    sleep 0.2
done
[ -n "$sheet" ] || { echo "the options sheet did not show" >&2; exit 1; }
xdotool windowfocus --sync "$sheet"
xdotool key --window "$sheet" ctrl+Page_Down
# The fish swim a while behind the sheet.
sleep 6
"$BUILD_DIR/tools/grabScreen" docs/settings.png
echo "Wrote docs/settings.png"
