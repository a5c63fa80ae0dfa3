#!/bin/sh
# Runs a Windows executable under Wine in the test prefix. tools/wine-session.sh
# prepares the prefix, the display and a running wineserver before ctest starts.
# CLICKER_WINE_LANG picks the locale Wine runs in (default zh_CN.UTF-8).
: "${WINEPREFIX:?WINEPREFIX must name the test prefix (tools/test.sh sets it)}"
export WINEPREFIX
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
lang="${CLICKER_WINE_LANG:-zh_CN.UTF-8}"
if [ -n "${CLICKER_WINE_LOCPATH:-}" ]; then
  export LOCPATH="$CLICKER_WINE_LOCPATH"
fi
export LANG="$lang" LC_ALL="$lang"
exec wine "$@"
