#!/usr/bin/env bash
# Runs every fuzz target for longer than CI does, each from a random seed, to look for what
# the fixed runs have not reached (before a stop, or after a reader changed).
# Usage: scripts/explore-fuzz.sh [SECONDS per target] (default 600).
# Each target keeps what it found useful in <build>/fuzz-corpus/<target> for the next run.
# An input that breaks a target is left as <build>/<target>-crash-...: commit it to
# tests/inputs/robustness (with a line in its README.md) together with its mend and a test
# that reads it, so that every CI run replays it.
set -euo pipefail
cd "$(dirname "$0")/.."
FUZZ_SECONDS=${1:-${FUZZ_SECONDS:-600}} exec bash scripts/run-fuzz.sh
