#!/usr/bin/env bash
# Start-up time of the Configure mode under Wine: from starting "<scr> /c" until the settings dialog is
# ready for input, against a program that shows an empty dialog from a template, then the cost of each
# piece of the dialog's initialisation measured cold in a fresh process.
#   scripts/bench_configure.sh [BUILD_DIR] [RUNS]      (default build/windows, 5 runs)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build/windows}")
runs=${2:-5}
cd "$root"
source "$root/scripts/common.sh"
build_windows_targets "$build" qm_scr qm_empty_dialog qm_configure_bench
"$root/scripts/wine-env.sh" start "$build"
bench="$build/tools/configure_bench/qm_configure_bench.exe"
scr=$(winpath "$build/Quillmere - Taveny 3D Screensaver.scr")
empty=$(winpath "$build/tools/configure_bench/qm_empty_dialog.exe")

echo "Empty dialog from a template (the floor):"
"$build/wine-run.sh" "$bench" start "$runs" "\"$empty\""
echo "Settings dialog (\"/c\"):"
"$build/wine-run.sh" "$bench" start "$runs" "\"$scr\" /c"
echo "Pieces of the dialog's initialisation, cold, in one fresh process:"
"$build/wine-run.sh" "$bench" pieces
