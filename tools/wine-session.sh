# Sourced by the test and run scripts: a private Wine prefix and, unless a
# display is given, a private Xvfb display for the Windows program.
#   wine_session_start BUILD_DIR [use-own-display]
#   wine_session_stop
# Exports WINEPREFIX, DISPLAY and CLICKER_WINE_LOCPATH; cmake/wine-exec.sh reads them.

wine_session_log() { echo "wine-session: $*"; }

wine_session_start() {
  local build_dir=$1 own_display=${2:-yes}
  mkdir -p "$build_dir"
  build_dir=$(cd "$build_dir" && pwd)
  export WINEPREFIX="$build_dir/wineprefix"
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEARCH=win32

  # Code page 936 and Chinese fonts need a zh_CN locale, which Debian's image
  # lacks; it is compiled into the build tree and used for Wine only.
  export CLICKER_WINE_LOCPATH="$build_dir/locale"
  if [ ! -d "$CLICKER_WINE_LOCPATH/zh_CN.UTF-8" ]; then
    wine_session_log "compiling the zh_CN.UTF-8 locale"
    mkdir -p "$CLICKER_WINE_LOCPATH"
    localedef -i zh_CN -f UTF-8 "$CLICKER_WINE_LOCPATH/zh_CN.UTF-8" || true
  fi

  WINE_SESSION_XVFB_PID=
  if [ "$own_display" = yes ]; then
    local n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -r >/dev/null 2>&1 &
    WINE_SESSION_XVFB_PID=$!
    export DISPLAY=":$n"
    local tries=0
    until xdpyinfo >/dev/null 2>&1; do
      tries=$((tries + 1))
      if [ $tries -gt 100 ] || ! kill -0 "$WINE_SESSION_XVFB_PID" 2>/dev/null; then
        wine_session_log "Xvfb did not start on $DISPLAY" >&2
        return 1
      fi
      sleep 0.1
    done
    wine_session_log "Xvfb on $DISPLAY (pid $WINE_SESSION_XVFB_PID)"
  fi

  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wine_session_log "creating the Wine prefix $WINEPREFIX"
    LOCPATH="$CLICKER_WINE_LOCPATH" LC_ALL=zh_CN.UTF-8 wineboot -i </dev/null >/dev/null 2>&1
    # Wine draws the frames itself (no window manager), and a crash never
    # blocks a test behind a dialog.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1
    wineserver -w
  fi
  # Wine looks for the caption-button glyphs in the prefix's own font folder.
  if [ -f /usr/share/wine/fonts/marlett.ttf ] && [ ! -f "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf" ]; then
    cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
  fi
  # A persistent server started outside any pipe: otherwise Wine's background
  # processes hold the pipe that ctest reads, and every test waits for them.
  wineserver -p </dev/null >/dev/null 2>&1
  wine cmd /c exit 0 </dev/null >/dev/null 2>&1
}

wine_session_stop() {
  if [ -n "${WINEPREFIX:-}" ]; then
    wineserver -k </dev/null >/dev/null 2>&1 || true
  fi
  if [ -n "${WINE_SESSION_XVFB_PID:-}" ]; then
    kill "$WINE_SESSION_XVFB_PID" 2>/dev/null || true
    wait "$WINE_SESSION_XVFB_PID" 2>/dev/null || true
    WINE_SESSION_XVFB_PID=
  fi
}
