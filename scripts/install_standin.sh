#!/usr/bin/env bash
# Installs the stand-in main program into a build's Wine prefix where the screensaver finds it: the
# 64-bit Program Files folder of the prefix, named by "AppPath" in the settings key's 64-bit view, as
# the product's installer records it. Afterwards "/s" runs it (a key or mouse input ends it).
#   scripts/install_standin.sh [BUILD_DIR]      (default build/windows; builds the stand-in if needed)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/windows}
source "$root/scripts/common.sh"
build_windows_targets "$build" qm_standin
build=$(cd "$build" && pwd)
"$root/scripts/wine-env.sh" start "$build"
wine_env "$build"

name="Quillmere - Taveny 3D Screensaver"
target="$WINEPREFIX/drive_c/Program Files/$name"
mkdir -p "$target"
cp "$build/tools/standin/$name.exe" "$target/$name.exe"
"$build/wine-run.sh" reg add "$settings_key" /v AppPath /t REG_SZ \
  /d "C:\\Program Files\\$name" /f /reg:64 >/dev/null
echo "Stand-in main program installed: C:\\Program Files\\$name\\$name.exe (AppPath, 64-bit view)"
