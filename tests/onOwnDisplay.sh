#!/bin/sh
# Runs a test program (its arguments follow) on a virtual X display of its own when xvfb-run
# is installed, else on $DISPLAY as it is. Tests that open windows and send them input then
# run side by side: none covers another's window or takes its clicks, and none waits for
# another to let a shared display go.
if command -v xvfb-run >/dev/null 2>&1; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$@"
fi
exec "$@"
