#!/usr/bin/env bash
# Runs bench_preview on a virtual X display, so that Movarel and ffplay both
# paint through an X server as on a desktop.
#   bench/preview/run.sh <build dir> [bench_preview arguments]
set -euo pipefail
build="${1:?build directory}"
shift
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$build/bench/preview/bench_preview" "$@"
