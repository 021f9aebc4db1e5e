# Shared by the scripts that build and run the Windows build under Wine; sourced, not run.

# A Linux path as a Windows program under Wine sees it (drive Z: is the root).
winpath() { echo "Z:$(echo "$1" | sed 's#/#\\#g')"; }

# Configures BUILD_DIR with the windows preset unless that was done, then builds the named targets.
build_windows_targets() {
  local build=$1
  shift
  [ -f "$build/CMakeCache.txt" ] || cmake --preset windows -B "$build" >/dev/null
  cmake --build "$build" --target "$@" >/dev/null
}
