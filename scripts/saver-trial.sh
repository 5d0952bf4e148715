#!/usr/bin/env bash
# Tries the installed aquarium under Debian's own XScreenSaver as a new user would (not run by
# CI; run as root): installs the packages and the Release build as the README says, gives an
# ordinary account (the daemon runs no program as root) the README's programs: line with
# Velmora chosen as the only one, starts a virtual X server of two screens and the daemon as
# that account, activates it N times and writes a picture of both screens each time, then one
# of the settings tool with Velmora in its preview pane. The account's ~/.xscreensaver and its
# Velmora folders are replaced.
#   SAVER_USER (saveruser), ACTIVATIONS (3), OUT (BUILD_DIR/saver-trial), DISPLAY_NUMBER (57),
#   BUILD_DIR (build-release), JOBS (all cores)
set -euo pipefail
cd "$(dirname "$0")/.."
SAVER_USER=${SAVER_USER:-saveruser}
ACTIVATIONS=${ACTIVATIONS:-3}
BUILD_DIR=${BUILD_DIR:-build-release}
OUT=$(realpath -m "${OUT:-$BUILD_DIR/saver-trial}")
display=":${DISPLAY_NUMBER:-57}"

DEBIAN_FRONTEND=noninteractive apt-get install -y -q xscreensaver xscreensaver-data xscreensaver-gl \
    xvfb x11-xserver-utils >/dev/null
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF -DVELMORA_BENCH=OFF >/dev/null
cmake --build "$BUILD_DIR" -j "${JOBS:-$(nproc)}" --target velmora velmora_resources grabScreen
cmake --install "$BUILD_DIR" >/dev/null
id "$SAVER_USER" >/dev/null 2>&1 || useradd -m "$SAVER_USER"
home=$(getent passwd "$SAVER_USER" | cut -d: -f6)
rm -rf "$home/.local/share/velmora" "$home/.config/velmora"
# The README's two lines; "mode: one" and "selected: 0" are what the settings tool writes when
# Velmora is chosen as the only one.
printf 'mode: one\nselected: 0\nprograms: \\\n  GL: velmora -root \\n\\\n' >"$home/.xscreensaver"
chown "$SAVER_USER:" "$home/.xscreensaver"
mkdir -p "$OUT"

as_user() {
    runuser -u "$SAVER_USER" -- env -i HOME="$home" USER="$SAVER_USER" LOGNAME="$SAVER_USER" \
        PATH=/usr/local/bin:/usr/bin:/bin DISPLAY="$display.0" "$@"
}
grab() { DISPLAY="$display.$1" "$BUILD_DIR/tools/grabScreen" "$2"; }
Xvfb "$display" -screen 0 1280x720x24 -screen 1 1024x768x24 -nolisten tcp >"$OUT/xvfb.log" 2>&1 &
xvfb=$!
trap 'as_user xscreensaver-command -exit >/dev/null 2>&1 || true; sleep 1; kill "$xvfb"' EXIT
for _ in $(seq 50); do
    DISPLAY=$display xhost "+si:localuser:$SAVER_USER" >/dev/null 2>&1 && break
    sleep 0.2
done
as_user xscreensaver --no-splash --verbose >"$OUT/daemon.log" 2>&1 &
sleep 3
: >"$OUT/programs.txt"
for i in $(seq "$ACTIVATIONS"); do
    as_user xscreensaver-command -activate >/dev/null
    sleep 10
    { echo "activation $i:"; pgrep -a -u "$SAVER_USER" velmora || echo "  no velmora running"; } >>"$OUT/programs.txt"
    grab 0 "$OUT/activation$i-screen0.png"
    grab 1 "$OUT/activation$i-screen1.png"
    as_user xscreensaver-command -deactivate >/dev/null
    sleep 4
done
as_user xscreensaver-settings >"$OUT/settings.log" 2>&1 &
sleep 8
{ echo "settings tool:"; pgrep -a -u "$SAVER_USER" velmora || echo "  no preview running"; } >>"$OUT/programs.txt"
grab 0 "$OUT/settings-tool.png"
# The tool, and the preview it leaves running when it is ended so.
tool=$(pgrep -u "$SAVER_USER" -f '^xscreensaver-settings' || true)
if [ -n "$tool" ]; then
    for pid in $(pgrep -P "$tool") "$tool"; do kill "$pid"; done
fi
cat "$OUT/programs.txt"
echo "Pictures and logs in $OUT"
