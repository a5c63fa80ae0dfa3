#!/usr/bin/env bash
# Measures the clicker under Wine (cadence, CPU time and memory, start-up, size)
# beside baselines of our own, prints the tables and rewrites
# docs/performance.md and docs/performance-intervals.png. Needs no arguments.
#
#   tools/bench.sh
#
# It builds in build/bench ($BENCH_BUILD_DIR) and runs in a private Xvfb
# display and Wine prefix. BENCH_REPEATS, BENCH_CLICKS, BENCH_SLOW_CLICKS,
# BENCH_COST_SECONDS, BENCH_LAUNCHES and BENCH_INTERVALS shorten a run (see
# bench/bench.py); BENCH_DOCS_DIR writes the page elsewhere.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BENCH_BUILD_DIR:-build/bench}
docs=${BENCH_DOCS_DIR:-docs}

bash tools/setup.sh
cmake --preset windows -B "$build" >/dev/null
cmake --build "$build" --parallel 2 --target clicker e2e_click_target e2e_probe \
  bench_bare_window bench_timer_loop bench_helper

# shellcheck source=tools/wine-session.sh
source tools/wine-session.sh
wine_session_start "$build"
trap wine_session_stop EXIT
# Debian's interpreter: it has python3-matplotlib for the plot.
/usr/bin/python3 bench/bench.py --build-dir "$build" --docs-dir "$docs"
