#!/usr/bin/env bash
# Times the preview under Wine, in one run: from starting "PROGRAM /p HWND" to the preview's first paint
# in a host window, for the screensaver and for a minimal child-window program that paints one colour,
# and the working set of each preview process once it has painted. The one-colour program is built for
# the same flavour as the screensaver.
#   scripts/bench_preview.sh [BUILD_DIR] [ROUNDS]
# Defaults: the flavour this machine runs natively (build/windows-x64 where 32-bit programs are emulated,
# else build/windows), 15 rounds.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/common.sh"
build=$(realpath -m "${1:-$(native_windows_build "$root")}")
rounds=${2:-15}
describe_flavour "$build"
build_windows_targets "$build" qm_scr qm_preview_host qm_solid_preview

"$root/scripts/wine-env.sh" start "$build"
trap '"$root/scripts/wine-env.sh" stop "$build"' EXIT

host="$build/tools/preview_host/qm_preview_host.exe"
scr="\"$(winpath "$build/Quillmere - Taveny 3D Screensaver.scr")\" /p"
solid="\"$(winpath "$build/tools/solid_preview/qm_solid_preview.exe")\" /p"
results=$(mktemp)
trap 'rm -f "$results"; "$root/scripts/wine-env.sh" stop "$build"' EXIT

# Alternate the two programs so that both see the same machine load.
for i in $(seq 1 "$rounds"); do
  for name in screensaver solid; do
    if [ $name = screensaver ]; then line=$scr; else line=$solid; fi
    out=$("$build/wine-run.sh" "$host" measure "$line" | tr -d '\r') || { echo "$name: no paint seen" >&2; continue; }
    echo "$name $out" >> "$results"
  done
done

python3 - "$results" "$rounds" <<'PY'
import statistics, sys
rows = {}
for line in open(sys.argv[1]):
    name, child, paint, ws, end, code = line.split()
    rows.setdefault(name, []).append((float(child), float(paint), int(ws), float(end), int(code)))
print(f"Preview under Wine, {sys.argv[2]} rounds each (median, min-max):")
print(f"{'program':<12} {'child ms':>16} {'first paint ms':>18} {'working set KiB':>16} {'end ms':>14}  exit codes")
for name in ("screensaver", "solid"):
    r = rows.get(name, [])
    if not r:
        print(f"{name:<12} no runs")
        continue
    def col(i, fmt="{:.0f}"):
        v = [x[i] for x in r]
        return f"{fmt.format(statistics.median(v))} ({fmt.format(min(v))}-{fmt.format(max(v))})"
    codes = sorted({x[4] for x in r})
    print(f"{name:<12} {col(0):>16} {col(1):>18} {col(2):>16} {col(3):>14}  {codes}")
if "screensaver" in rows and "solid" in rows:
    d = statistics.median(x[1] for x in rows["screensaver"]) - statistics.median(x[1] for x in rows["solid"])
    print(f"The picture costs {d:.0f} ms more than a solid colour to first paint (medians).")
PY
