# Shared by the scripts that build and run the Windows build under Wine; sourced, not run.

# A Linux path as a Windows program under Wine sees it (drive Z: is the root).
winpath() { echo "Z:$(echo "$1" | sed 's#/#\\#g')"; }

# The settings key as `wine reg` names it (with /reg:64 it is the view the screensaver and the main
# program use).
settings_key='HKLM\Software\Orvanta\Quillmere - Taveny 3D Screensaver'

# Configures BUILD_DIR with the windows preset unless that was done, then builds the named targets.
build_windows_targets() {
  local build=$1
  shift
  [ -f "$build/CMakeCache.txt" ] || cmake --preset windows -B "$build" >/dev/null
  cmake --build "$build" --target "$@" >/dev/null
}

# The Wine session of the build folder BUILD_DIR, exported for this shell and what it starts: the build's
# own 64-bit prefix (QM_WINEPREFIX puts it elsewhere), Wine's debug output off unless WINEDEBUG asks for
# it, and no offer to download Mono or Gecko, which would stall an unattended run behind a dialog.
# Beside the prefix: PREFIX.display names the virtual display wine-env.sh started, PREFIX.xvfb.pid its server.
wine_env() {
  export WINEPREFIX="${QM_WINEPREFIX:-$1/wineprefix}"
  export WINEARCH=win64
  export WINEDEBUG="${WINEDEBUG:--all}"
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
  wine_display_file="$WINEPREFIX.display"
  wine_xvfb_pid_file="$WINEPREFIX.xvfb.pid"
}

# Uses the session's virtual display unless DISPLAY is set. Call after wine_env and "wine-env.sh start".
wine_display() {
  if [ -z "${DISPLAY:-}" ] && [ -f "$wine_display_file" ]; then
    DISPLAY=$(cat "$wine_display_file")
    export DISPLAY
  fi
}
