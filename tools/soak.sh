#!/usr/bin/env bash
# Soak run (not part of CI): the clicker clicks at 10 ms for 10 minutes under
# Wine while its memory, GDI and USER objects and CPU time are sampled once a
# minute; at the end the clicks the target counted are set beside the ticks
# the time allows. Prints a table per minute.
#
#   tools/soak.sh
#
# SOAK_MINUTES and SOAK_INTERVAL (ms) change the run. It builds in build/soak
# ($SOAK_BUILD_DIR) and runs in a private Xvfb display and Wine prefix.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${SOAK_BUILD_DIR:-build/soak}

bash tools/setup.sh
cmake --preset windows -B "$build" >/dev/null
cmake --build "$build" --parallel 2 --target clicker e2e_click_target e2e_probe \
  bench_bare_window bench_timer_loop bench_helper

# shellcheck source=tools/wine-session.sh
source tools/wine-session.sh
wine_session_start "$build"
trap wine_session_stop EXIT
/usr/bin/python3 bench/soak.py --build-dir "$build"
