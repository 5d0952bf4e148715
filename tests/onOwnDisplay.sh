#!/bin/sh
# Runs a test program (its arguments follow) on a virtual X display of its own when Xvfb is
# installed, else on $DISPLAY as it is. Tests that open windows and send them input then
# run side by side: none covers another's window or takes its clicks, and none waits for
# another to let a shared display go. The server picks a free display number itself
# (-displayfd): servers started side by side never race for one, as "xvfb-run -a" can.
command -v Xvfb >/dev/null 2>&1 || exec "$@"
told=$(mktemp) || exec "$@"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$told" >/dev/null 2>&1 &
server=$!
waited=0
until grep -q '^[0-9][0-9]*$' "$told" 2>/dev/null; do
    if ! kill -0 "$server" 2>/dev/null || [ "$waited" -ge 300 ]; then
        kill "$server" 2>/dev/null
        rm -f "$told"
        echo "onOwnDisplay: no virtual display could be started" >&2
        exit 1
    fi
    sleep 0.1
    waited=$((waited + 1))
done
DISPLAY=:$(cat "$told")
rm -f "$told"
export DISPLAY
unset XAUTHORITY
"$@"
status=$?
kill "$server" 2>/dev/null
wait "$server" 2>/dev/null
exit "$status"
