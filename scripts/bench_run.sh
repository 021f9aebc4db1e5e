#!/usr/bin/env bash
# Overhead of the screensaver's run mode under Wine: time from starting the .scr with /s until the main
# program (the stand-in) is running, against starting the stand-in directly; several runs of each,
# alternating, then both medians and their ratio. Not a test: the numbers depend on the machine.
#   scripts/bench_run.sh [BUILD_DIR] [RUNS]      (defaults: build/windows, 15)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/windows}
runs=${2:-15}
source "$root/scripts/common.sh"
build_windows_targets "$build" qm_scr qm_standin qm_bench_run
build=$(cd "$build" && pwd)

"$root/scripts/wine-env.sh" start "$build"
trap '"$root/scripts/wine-env.sh" stop "$build"' EXIT
"$build/wine-run.sh" "$build/tools/bench_run/qm_bench_run.exe" \
  "$(winpath "$build/Quillmere - Taveny 3D Screensaver.scr")" \
  "$(winpath "$build/tools/standin/Quillmere - Taveny 3D Screensaver.exe")" "$runs" | tr -d '\r'
