#!/usr/bin/env bash
# The playlist editor with long lists under Wine, in one run: for each number of songs, "Add..." of a
# playlist that lists them and "Remove" with every row selected, each until the list has painted, the
# median of RUNS. The editor runs inside the timing program with the registry redirected to scratch keys,
# so the prefix's settings are not touched. Not a test: the numbers depend on the machine.
#   scripts/bench_playlist.sh [BUILD_DIR] [RUNS] [SONGS...]
# Defaults: the flavour this machine runs natively (build/windows-x64 where 32-bit programs are emulated,
# else build/windows), 5 runs, 10,000 and 40,000 songs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/common.sh"
build=$(realpath -m "${1:-$(native_windows_build "$root")}")
runs=${2:-5}
shift $(($# < 2 ? $# : 2))
songs=${*:-10000 40000}
cd "$root"
describe_flavour "$build"
build_windows_targets "$build" qm_playlist_bench
"$root/scripts/wine-env.sh" start "$build"
for count in $songs; do
  "$build/wine-run.sh" "$build/tools/playlist_bench/qm_playlist_bench.exe" "$count" "$runs" | tr -d '\r'
done
