#!/usr/bin/env bash
# Overhead of the screensaver's run mode under Wine: time from starting the .scr with /s until the main
# program (the stand-in) is running, against starting the stand-in directly; several runs of each,
# alternating, then both medians and their ratio. Not a test: the numbers depend on the machine.
#   scripts/bench_run.sh [BUILD_DIR] [RUNS]
# Defaults: the flavour this machine runs natively (build/windows-x64 where 32-bit programs are emulated,
# else build/windows), 15 runs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/common.sh"
build=${1:-$(native_windows_build "$root")}
runs=${2:-15}
build_windows_targets "$build" qm_scr qm_standin qm_bench_run
build=$(cd "$build" && pwd)
describe_flavour "$build"

"$root/scripts/wine-env.sh" start "$build"
trap '"$root/scripts/wine-env.sh" stop "$build"' EXIT
"$build/wine-run.sh" "$build/tools/bench_run/qm_bench_run.exe" \
  "$(winpath "$build/Quillmere - Taveny 3D Screensaver.scr")" \
  "$(winpath "$build/tools/standin/Quillmere - Taveny 3D Screensaver.exe")" "$runs" | tr -d '\r'
