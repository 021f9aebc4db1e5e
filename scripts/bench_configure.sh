#!/usr/bin/env bash
# Where the user waits in the Configure mode under Wine, each figure the median of RUNS, in one run:
# from starting "<scr> /c" until the settings dialog is ready for input, first with no saved settings and
# then with saved ones (after one OK), against a program that shows an empty dialog from a template; the
# response of "Restore Defaults" (click until the controls show the defaults), pressed at once when the
# dialog is ready and pressed RESTORE_DELAY_MS later, as a user would; OK pressed as soon as a first opening
# is ready, until the dialog is gone and until its process has ended; then the cost of each piece of
# the dialog's initialisation measured cold in a fresh process, and the three slow probes of a first
# opening on their threads against one after another (what the overlap gains on this machine). The
# settings key is put back afterwards. The floors are built for the same flavour as the screensaver.
#   scripts/bench_configure.sh [BUILD_DIR] [RUNS] [RESTORE_DELAY_MS]
# Defaults: the flavour this machine runs natively (build/windows-x64 where 32-bit programs are emulated,
# else build/windows), 5 runs, 2000 ms.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/common.sh"
build=$(realpath -m "${1:-$(native_windows_build "$root")}")
runs=${2:-5}
delay=${3:-2000}
cd "$root"
describe_flavour "$build"
build_windows_targets "$build" qm_scr qm_empty_dialog qm_configure_bench
"$root/scripts/wine-env.sh" start "$build"
bench="$build/tools/configure_bench/qm_configure_bench.exe"
scr=$(winpath "$build/Quillmere - Taveny 3D Screensaver.scr")
empty=$(winpath "$build/tools/configure_bench/qm_empty_dialog.exe")

echo "Empty dialog from a template (the floor):"
"$build/wine-run.sh" "$bench" start "$runs" "\"$empty\""
# The runs below take the saved settings away and then save some: the settings key is exported first and
# put back as it was before the pieces are timed (or when the script stops early).
export_file="$build/bench-settings.reg"
rm -f "$export_file"
"$build/wine-run.sh" reg export "$settings_key" "$(winpath "$export_file")" /reg:64 /y >/dev/null 2>&1 || true
put_back_settings() {
  "$build/wine-run.sh" reg delete "$settings_key" /reg:64 /f >/dev/null 2>&1 || true
  if [ -f "$export_file" ]; then
    "$build/wine-run.sh" reg import "$(winpath "$export_file")" /reg:64 >/dev/null 2>&1 || true
    rm -f "$export_file"
  fi
}
trap put_back_settings EXIT
echo "Settings dialog (\"/c\"), first opening, no saved settings:"
# Only OK saves: the runs, which close the dialog, find the values gone each time.
"$build/wine-run.sh" reg delete "$settings_key" /va /reg:64 /f >/dev/null 2>&1 || true
"$build/wine-run.sh" "$bench" start "$runs" "\"$scr\" /c"
"$build/wine-run.sh" "$bench" ok "\"$scr\" /c"
echo "Settings dialog (\"/c\"), saved settings (after one OK):"
"$build/wine-run.sh" "$bench" start "$runs" "\"$scr\" /c"
echo "OK at once: pressed as soon as a first opening is ready, until the dialog is gone and the process has ended:"
"$build/wine-run.sh" "$bench" okatonce "$runs" "\"$scr\" /c"
echo "Restore Defaults, pressed as soon as the dialog is ready:"
"$build/wine-run.sh" "$bench" restore "$runs" 0 "\"$scr\" /c"
echo "Restore Defaults, pressed ${delay} ms after the dialog is ready:"
"$build/wine-run.sh" "$bench" restore "$runs" "$delay" "\"$scr\" /c"
put_back_settings
trap - EXIT
echo "Pieces of the dialog's initialisation, cold, in one fresh process:"
"$build/wine-run.sh" "$bench" pieces
echo "The three slow probes of a first opening, cold, on their threads / one after another:"
for mode in together inturn; do
  for _ in $(seq 1 "$runs"); do "$build/wine-run.sh" "$bench" probes "$mode"; done | tr -d '\r' |
    sed -n 's/^ *\([0-9]*\) ms$/\1/p' | sort -n |
    awk -v m="$mode" '{a[NR]=$1} END {printf "  %-8s median %d ms of %d runs\n", m, a[int((NR+1)/2)], NR}'
done
