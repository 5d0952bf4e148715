#!/usr/bin/env bash
# A long headless run of the aquarium: an hour of tank time with a drop of food every 30
# seconds. Passes when the program ends with status 0 and no sanitizer report, its resident
# memory after the first minute stays within 5% of what it was at the first minute, and the
# number of things in the tank does not grow. Not part of CI: it takes about as long as the
# tank time it covers (longer under the sanitizers).
#
# Usage: scripts/soak.sh [DURATION [BUILD_DIR]]
#   DURATION             tank time: minutes, or with a unit "90s", "15m", "1h" (default 1h,
#                        or SOAK_MINUTES minutes); the tank runs 60 frames a second
#   BUILD_DIR            default build-asan; a Release tree works too
#   SOAK_SIZE            the frame size (480x270; 400 wide at least, narrower is the preview,
#                        which plays no sound and runs no data-folder script)
#   SOAK_FEED_SECONDS    seconds of tank time between drops of food (30)
#   SOAK_SAMPLE_SECONDS  wall-clock seconds between memory samples (5)
#   SOAK_OUT             folder for the data folder, the samples and the program's output
#                        (default: a new temporary folder, kept and named at the end)
#
# The feeding and the count of things use what the program has: the data folder's
# "msg.txt", which runs at the tenth frame, queues a script in the shop's
# "nextFrameCommand" that queues itself again every frame, feeds the tank every 30 s of tank
# time (the shop's "feed instant", as the viewer's feeding key does) and every 10 s writes
# the tank's clock and its number of things to the run's trace ("stdout_run.txt"). The
# tank's own automatic feeding keeps its setting. Resident memory is read from /proc.
set -uo pipefail
cd "$(dirname "$0")/.."
DURATION=${1:-${SOAK_MINUTES:-60}m}
BUILD_DIR=${2:-${BUILD_DIR:-build-asan}}
if ! [[ "$DURATION" =~ ^([0-9]+)([smh]?)$ ]]; then
    echo "bad duration \"$DURATION\": minutes, or a number with s, m or h" >&2
    exit 2
fi
case "${BASH_REMATCH[2]}" in
s) SECONDS_OF_TANK=$((10#${BASH_REMATCH[1]})) ;;
h) SECONDS_OF_TANK=$((10#${BASH_REMATCH[1]} * 3600)) ;;
*) SECONDS_OF_TANK=$((10#${BASH_REMATCH[1]} * 60)) ;;
esac
# The memory is held from the first minute on, so a shorter run shows nothing.
if [ "$SECONDS_OF_TANK" -lt 120 ]; then
    echo "the run must be at least 2 minutes of tank time ($DURATION)" >&2
    exit 2
fi
SIZE=${SOAK_SIZE:-480x270}
FEED=${SOAK_FEED_SECONDS:-30}
SAMPLE=${SOAK_SAMPLE_SECONDS:-5}
OUT=${SOAK_OUT:-$(mktemp -d /tmp/velmora-soak.XXXXXX)}
program=$(realpath "$BUILD_DIR/src/app/velmora" 2>/dev/null) || {
    echo "no program in $BUILD_DIR (build it first)" >&2
    exit 2
}
mkdir -p "$OUT/data"
OUT=$(realpath "$OUT")
data="$OUT/data/"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan.supp:use_tls=0}
export LP_NUM_THREADS=${LP_NUM_THREADS:-0}
export MESA_SHADER_CACHE_DISABLE=${MESA_SHADER_CACHE_DISABLE:-true}
export LIBGL_ALWAYS_SOFTWARE=1
# The sound is mixed and played into OpenAL's device that plays nowhere, so the whole sound
# road runs on a machine without a sound card.
export ALSOFT_DRIVERS=${ALSOFT_DRIVERS:-null}
export VELMORA_DATA_DIR="$data"
unset VELMORA_SERVER_URL

# The tick is one line: a script kept in a string runs from "nextFrameCommand" and puts
# itself back there. Every FEED seconds it drops food as the viewer's "feed instant" does;
# every 10 s it writes the tank's clock and its number of things.
thingList="loadedTanks/tank0/tank0/thingList"
cat >"$data/msg.txt" <<EOF
:string soakNext ":runString \$soakTick"
:string soakTick ":set tempInt (\$tempInt + 1) :set tempFloat (\$tempFloat + 1) :if (\$tempInt > $((FEED * 60 - 1))) { :set tempInt 0 :feed instant } :if (\$tempFloat > 599) { :set tempFloat 0 :cerr soak (\$globalSeconds) (numChildren($thingList)) } :set nextFrameCommand \$soakNext"
:set nextFrameCommand \$soakNext
EOF

frames=$((SECONDS_OF_TANK * 60))
echo "soak: $SECONDS_OF_TANK s of tank time ($frames frames at $SIZE) with $program; output in $OUT"
start=$(date +%s)
"$program" --headless "$SIZE" --frames "$frames" >"$OUT/program.out" 2>&1 &
pid=$!
samples="$OUT/samples.txt"
echo "# wall_seconds tank_seconds things rss_kb" >"$samples"
lastTick() { grep -a '^CERR >soak<' "$data/stdout_run.txt" 2>/dev/null | tail -n 1 | tr '<>' '  '; }
while kill -0 "$pid" 2>/dev/null; do
    rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status" 2>/dev/null)
    read -r _ _ seconds things <<<"$(lastTick)"
    if [ -n "${rss:-}" ] && [ -n "${seconds:-}" ]; then
        echo "$(($(date +%s) - start)) $seconds $things $rss" >>"$samples"
    fi
    sleep "$SAMPLE"
done
wait "$pid"
status=$?
wall=$(($(date +%s) - start))

failed=0
echo "program ended with status $status after ${wall}s"
[ "$status" -eq 0 ] || failed=1
if grep -aE "ERROR: (Address|Leak)Sanitizer|runtime error:|SUMMARY: UndefinedBehaviorSanitizer" "$OUT/program.out"; then
    echo "FAILED: a sanitizer report (see $OUT/program.out)"
    failed=1
fi
# Memory: every sample from the first minute on against the first one taken after it.
read -r base top last count <<<"$(awk '!/^#/ && $2 >= 60 { if (n == 0) b = $4; if ($4 > m) m = $4; l = $4; n++ }
    END { print b + 0, m + 0, l + 0, n + 0 }' "$samples")"
if [ "$count" -lt 2 ]; then
    echo "FAILED: too few memory samples after the first minute ($count)"
    failed=1
else
    echo "resident memory: ${base} kB at the first minute, at most ${top} kB after it, ${last} kB at the end ($count samples)"
    if [ "$top" -gt $((base + base / 20)) ]; then
        echo "FAILED: resident memory grew by more than 5%"
        failed=1
    fi
fi
# Things: the tank's own trace lines, one every 10 s of tank time, as the samples caught them
# (the run's trace keeps only its latest part). Food and waste come and go, so the second
# half of the run is held against the first: neither its highest nor its average count may
# be above the first half's.
ticks="$OUT/things.txt"
awk '!/^#/ && !seen[$2]++ { print $2, $3 }' "$samples" >"$ticks"
read -r firstTop firstMean lastTop lastMean n <<<"$(awk '$1 >= 60 { t[n + 0] = $2; n++ }
    END { h = int(n / 2); for (i = 0; i < n; i++) { if (i < h) { if (t[i] > a) a = t[i]; sa += t[i] } else { if (t[i] > b) b = t[i]; sb += t[i] } }
          printf "%d %.2f %d %.2f %d\n", a, (h ? sa / h : 0), b, (n - h ? sb / (n - h) : 0), n }' "$ticks")"
if [ "$n" -lt 2 ]; then
    echo "FAILED: too few counts of things ($n)"
    failed=1
else
    echo "things: first half at most $firstTop (mean $firstMean), second half at most $lastTop (mean $lastMean), $n counts"
    if [ "$lastTop" -gt "$firstTop" ] || awk -v a="$firstMean" -v b="$lastMean" 'BEGIN { exit !(b > a + 0.5) }'; then
        echo "FAILED: the number of things grew"
        failed=1
    fi
fi
last=$(tail -n 1 "$ticks" | awk '{ print $1 }')
echo "tank time reached: ${last:-0} s"
eaten=$(grep -acE '^DELETE_VARIABLE food[0-9]+$' "$data/stdout_run.txt")
echo "food things eaten up: $eaten; run trace: $(stat -c %s "$data/stdout_run.txt") bytes"
if [ "$failed" -eq 0 ]; then echo "soak passed"; else echo "soak FAILED (output in $OUT)"; fi
exit "$failed"
