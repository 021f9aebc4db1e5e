#!/usr/bin/env bash
# Saves a screenshot of the preview in a host window under Wine: a captioned window the size of the
# Display control panel's preview area, with the product's preview painting its picture inside.
#   scripts/preview_screenshot.sh [BUILD_DIR] [OUT_PNG]   (defaults: build/windows, BUILD_DIR/screenshots/preview.png)
# Under Wine a child window of another process is never composed onto the screen, so the host tool runs
# the product's own preview code in its process (tools/preview_host); the .scr's cross-process life cycle
# is what the end-to-end tests check. Uses the build's virtual display unless DISPLAY is set.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build/windows}")
out=$(realpath -m "${2:-$build/screenshots/preview.png}")

source "$root/scripts/common.sh"
build_windows_targets "$build" qm_preview_host

had_display=${DISPLAY:-}
"$root/scripts/wine-env.sh" start "$build"
wine_env "$build"
wine_display

work=$(mktemp -d)
trap 'rm -rf "$work"; [ -n "$had_display" ] || "$root/scripts/wine-env.sh" stop "$build"' EXIT
mkdir -p "$(dirname "$out")"

wine "$build/tools/preview_host/qm_preview_host.exe" show "$(winpath "$work/ready")" "$(winpath "$work/done")" &
host=$!
for _ in $(seq 1 300); do [ -s "$work/ready" ] && break; sleep 0.1; done
if ! read -r x y w h < "$work/ready" 2>/dev/null; then
  echo "preview_screenshot: the preview did not paint" >&2; touch "$work/done"; wait $host || true; exit 1
fi
sleep 0.3 # the X server shows what was drawn
/usr/bin/import -display "$DISPLAY" -window root -crop "${w}x${h}+${x}+${y}" +repage "$out"
touch "$work/done"
wait $host && code=0 || code=$?
echo "Screenshot: $out (host tool ended with $code)"
