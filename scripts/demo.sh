#!/usr/bin/env bash
# Builds the screensaver and runs its main job: the settings dialog, as "Configure" starts it, under Wine,
# with the stand-in main program installed where the screensaver finds it (so "/s" works by hand too).
# With a display (DISPLAY set) the dialog is yours until you close it. Without one, a virtual display is
# used: one screenshot of the dialog per language and one of the preview are saved to build/screenshots/,
# and the demo ends by itself.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/bootstrap.sh
cmake --preset windows >/dev/null
cmake --build --preset windows
build="$root/build/windows"
scr="$build/Quillmere - Taveny 3D Screensaver.scr"
key='HKLM\Software\Orvanta\Quillmere - Taveny 3D Screensaver'
source "$root/scripts/common.sh"

had_display=${DISPLAY:-}
"$root/scripts/wine-env.sh" start "$build"
wine_env "$build"
wine_display
bash "$root/scripts/install_standin.sh" "$build"

if [ -n "$had_display" ]; then
  echo "Showing the settings dialog on $DISPLAY; close it to end."
  wine "$scr" /c
  exit 0
fi
trap '"$root/scripts/wine-env.sh" stop "$build"' EXIT

shots="$root/build/screenshots"
mkdir -p "$shots"
set_language() { # tag, or "" for none
  if [ -n "$1" ]; then
    wine reg add "$key" /v Language /t REG_SZ /d "3: $1" /f /reg:64 >/dev/null
  else
    wine reg delete "$key" /v Language /f /reg:64 >/dev/null 2>&1 || true
  fi
}
before=$( (wine reg query "$key" /v Language /reg:64 2>/dev/null || true) | tr -d '\r' | sed -n 's/.*REG_SZ *//p')

for lang in en de fr ru; do
  set_language "$lang"
  ready="$shots/.ready"; done_file="$shots/.done"
  rm -f "$ready" "$done_file"
  wine "$build/tools/qm_demo_driver.exe" "$(winpath "$ready")" "$(winpath "$done_file")" \
    "\"$(winpath "$scr")\" /c" &
  driver=$!
  for _ in $(seq 1 600); do [ -f "$ready" ] && break; sleep 0.1; done
  x=0 y=0 w=0 h=0
  read -r x y w h < <(tr -d '\r' < "$ready") || true
  out="$shots/settings-dialog-$lang.png"
  if [ "$w" -gt 0 ] && [ "$h" -gt 0 ]; then
    /usr/bin/import -display "$DISPLAY" -window root -crop "${w}x${h}+${x}+${y}" +repage "$out"
  else
    /usr/bin/import -display "$DISPLAY" -window root "$out"
  fi
  touch "$done_file"
  wait $driver && code=0 || code=$?
  echo "Screenshot: $out (the program ended with exit code $code)"
done
if [ -n "$before" ]; then
  wine reg add "$key" /v Language /t REG_SZ /d "$before" /f /reg:64 >/dev/null
else
  set_language ""
fi
rm -f "$shots/.ready" "$shots/.done"

bash "$root/scripts/preview_screenshot.sh" "$build" "$shots/preview.png"
echo "Screenshot: $shots/preview.png"
