#!/usr/bin/env bash
# Builds the screensaver and runs its main job: the settings dialog, as "Configure" starts it, under Wine.
# With a display (DISPLAY set) the dialog is yours until you close it. Without one, a virtual display is
# used, a screenshot is saved to build/screenshots/ and the demo ends by itself.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/bootstrap.sh
cmake --preset windows >/dev/null
cmake --build --preset windows
build="$root/build/windows"
scr="$build/Quillmere - Taveny 3D Screensaver.scr"
winpath() { echo "Z:$(echo "$1" | sed 's#/#\\#g')"; }

had_display=${DISPLAY:-}
"$root/scripts/wine-env.sh" start "$build"
trap '"$root/scripts/wine-env.sh" stop "$build"' EXIT
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all
[ -n "$had_display" ] || export DISPLAY=$(cat "$WINEPREFIX.display")

if [ -n "$had_display" ]; then
  echo "Showing the settings dialog on $DISPLAY; close it to end."
  wine "$scr" /c
  exit 0
fi

shots="$root/build/screenshots"
mkdir -p "$shots"
ready="$shots/.ready"; done_file="$shots/.done"
rm -f "$ready" "$done_file"
wine "$build/tools/qm_demo_driver.exe" "$(winpath "$ready")" "$(winpath "$done_file")" \
  "\"$(winpath "$scr")\" /c" &
driver=$!
for _ in $(seq 1 600); do [ -f "$ready" ] && break; sleep 0.1; done
read -r x y w h < "$ready" || true
out="$shots/settings-dialog.png"
if [ "${w:-0}" -gt 0 ] && [ "${h:-0}" -gt 0 ]; then
  /usr/bin/import -display "$DISPLAY" -window root -crop "${w}x${h}+${x}+${y}" +repage "$out"
else
  /usr/bin/import -display "$DISPLAY" -window root "$out"
fi
touch "$done_file"
wait $driver && code=0 || code=$?
echo "Screenshot: $out (the program ended with exit code $code)"
