#!/usr/bin/env bash
# Runs every test of the clicker: installs what is missing, then builds and
# tests the native, sanitizer and Windows presets (the Windows suites under Wine
# in a private Xvfb display) and fuzzes the text conversions.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash tools/setup.sh

declare -a summary=()
total_passed=0
total_failed=0

# ctest writes its log to a file rather than through a pipe: Wine's background
# processes would otherwise hold the pipe open.
run_ctest() {
  local preset=$1 log="build/$1/ctest.log"
  local status=0
  ctest --preset "$preset" --output-log "$log" || status=$?
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1 || true)
  local total failed
  total=$(sed -nE 's/.*out of ([0-9]+).*/\1/p' <<<"$line")
  failed=$(sed -nE 's/.*passed, ([0-9]+) tests? failed.*/\1/p' <<<"$line")
  total=${total:-0}
  failed=${failed:-0}
  if [ "$status" -ne 0 ] && [ "$failed" -eq 0 ]; then failed=1; fi
  total_passed=$((total_passed + total - failed))
  total_failed=$((total_failed + failed))
  summary+=("$preset: $((total - failed)) passed, $failed failed")
  return "$status"
}

overall=0
for preset in native sanitize; do
  echo "== $preset: configure, build, test"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  run_ctest "$preset" || overall=1
done

echo "== windows: configure, build, test under Wine"
cmake --preset windows >/dev/null
cmake --build --preset windows
# shellcheck source=tools/wine-session.sh
source tools/wine-session.sh
wine_session_start build/windows
trap wine_session_stop EXIT
run_ctest windows || overall=1
wine_session_stop
trap - EXIT

echo "== fuzz"
if bash tools/fuzz.sh; then
  summary+=("fuzz: 2 targets clean")
else
  summary+=("fuzz: FAILED")
  overall=1
  total_failed=$((total_failed + 1))
fi

echo
echo "== summary"
printf '  %s\n' "${summary[@]}"
echo "all: $total_passed passed, $total_failed failed"
exit "$overall"
