#!/usr/bin/env bash
# Makes docs/screenshot.png: the clicker's window as it opens under Wine in a
# private Xvfb display, with an interval typed into its box.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target clicker e2e_probe
# shellcheck source=tools/wine-session.sh
source tools/wine-session.sh
wine_session_start build/screenshot
clicker_pid=
cleanup() {
  if [ -n "$clicker_pid" ]; then kill "$clicker_pid" 2>/dev/null || true; fi
  wine_session_stop
}
trap cleanup EXIT

probe() { cmake/wine-exec.sh build/windows/tests/e2e/probe.exe "$@" </dev/null 2>/dev/null; }

cmake/wine-exec.sh build/windows/ui/clicker.exe </dev/null >/dev/null 2>&1 &
clicker_pid=$!
probe wait-window 20000 >/dev/null
probe settext 3 100 >/dev/null

rect=$(probe rect)
value() { sed -nE "s/^$1=(-?[0-9]+)\r?$/\1/p" <<<"$rect"; }
left=$(value left); top=$(value top); right=$(value right); bottom=$(value bottom)
# Wait until the window has been painted: its caption is not the black of the
# empty root window any more.
for _ in $(seq 50); do
  pixel=$(import -window root -crop "1x1+$((left + 40))+$((top + 10))" txt:- 2>/dev/null | tail -n 1)
  case "$pixel" in *"#000000"*) sleep 0.1 ;; *) break ;; esac
done
mkdir -p docs
import -window root -crop "$((right - left))x$((bottom - top))+${left}+${top}" +repage docs/screenshot.png
echo "screenshot: docs/screenshot.png ($((right - left))x$((bottom - top)) at $left,$top)"
