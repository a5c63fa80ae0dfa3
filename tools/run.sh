#!/usr/bin/env bash
# Builds the clicker for Windows and opens its window under Wine on your display.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${DISPLAY:-}" ]; then
  echo "run: no display (DISPLAY is not set). Run this from a desktop session, or start one, e.g.:" >&2
  echo "       Xvfb :5 -screen 0 1280x1024x24 & DISPLAY=:5 tools/run.sh" >&2
  exit 1
fi

bash tools/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target clicker
# shellcheck source=tools/wine-session.sh
source tools/wine-session.sh
wine_session_start build/run no-own-display
trap wine_session_stop EXIT
echo "run: starting build/windows/ui/clicker.exe (Esc or the close box ends it)"
status=0
cmake/wine-exec.sh build/windows/ui/clicker.exe || status=$?
echo "run: the clicker ended with exit code $status"
exit "$status"
