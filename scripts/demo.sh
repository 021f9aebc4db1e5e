#!/usr/bin/env bash
# Builds the screensaver of the flavour this machine runs natively (the 64-bit file on x86-64) and runs
# its main job: the settings dialog, as "Configure" starts it, under Wine,
# with the stand-in main program installed where the screensaver finds it (so "/s" works by hand too).
# With a display (DISPLAY set) the dialog is yours until you close it. Without one, a virtual display is
# used and the demo ends by itself, leaving in build/screenshots/: one screenshot of the dialog per
# language and one in English at 144 DPI, the texts each language's dialog cuts off at 96, 120, 144 and
# 192 DPI (clipped-texts.txt), the playlist editor holding a few entries, and the preview. Nothing the
# demo stores for itself outlives it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source "$root/scripts/common.sh"
preset=$(demo_preset)
if [ "$preset" = windows-x64 ]; then bash scripts/bootstrap.sh windows-x64; else bash scripts/bootstrap.sh; fi
build="$root/build/$preset"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target qm_scr qm_demo_driver qm_standin qm_preview_host
scr="$build/Quillmere - Taveny 3D Screensaver.scr"
if [ "$preset" = windows-x64 ]; then
  echo "Demo: the 64-bit file ($build), which this x86-64 machine runs natively"
else
  echo "Demo: the 32-bit file ($build)"
fi

had_display=${DISPLAY:-}
# Big enough for the dialog at 192 DPI (about 1,300 x 840 pixels), should the demo start the display.
export QM_SCREEN_SIZE=${QM_SCREEN_SIZE:-2560x1600}
"$root/scripts/wine-env.sh" start "$build"
wine_env "$build"
wine_display
bash "$root/scripts/install_standin.sh" "$build"

if [ -n "$had_display" ]; then
  echo "Showing the settings dialog on $DISPLAY; close it to end."
  wine "$scr" /c
  exit 0
fi

shots="$root/build/screenshots"
mkdir -p "$shots"
ready="$shots/.ready" done_file="$shots/.done" measured="$shots/.measured"
music="$WINEPREFIX/drive_c/users/Public/Music/Demo playlist"
# The system DPI (Wine reads it when a program starts), put back as it was at the end.
dpi_key='HKCU\Control Panel\Desktop'
dpi_before=$( (wine reg query "$dpi_key" /v LogPixels 2>/dev/null || true) | tr -d '\r' | sed -n 's/.*REG_DWORD *//p')
set_dpi() { # DPI, or "" for none
  if [ -n "$1" ]; then
    wine reg add "$dpi_key" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null
  else
    wine reg delete "$dpi_key" /v LogPixels /f >/dev/null 2>&1 || true
  fi
}
trap 'set_dpi "$dpi_before"; rm -rf "$ready" "$done_file" "$measured" "$music"; "$root/scripts/wine-env.sh" stop "$build"' EXIT
failed=0

# Runs the demo driver in MODE (its arguments after the ready and done files follow) and saves a screenshot
# of the window it shows as OUT_PNG (none when OUT_PNG is -), or of the whole screen when it shows none.
shoot() { # OUT_PNG MODE ARGUMENT...
  local out=$1 mode=$2
  shift 2
  rm -f "$ready" "$done_file"
  wine "$build/tools/qm_demo_driver.exe" "$mode" "$(winpath "$ready")" "$(winpath "$done_file")" "$@" &
  local driver=$! x=0 y=0 w=0 h=0 code=0
  while [ ! -s "$ready" ] && kill -0 $driver 2>/dev/null; do sleep 0.2; done
  read -r x y w h < <(tr -d '\r' 2>/dev/null < "$ready") || true
  if [ "$out" = - ]; then
    :
  elif [ "$w" -gt 0 ] && [ "$h" -gt 0 ]; then
    /usr/bin/import -display "$DISPLAY" -window root -crop "${w}x${h}+${x}+${y}" +repage "$out"
  else
    /usr/bin/import -display "$DISPLAY" -window root "$out"
  fi
  touch "$done_file"
  wait $driver || code=$?
  if [ "$out" = - ]; then echo "Measured (the program ended with exit code $code)"; else
    echo "Screenshot: $out (the program ended with exit code $code)"; fi
  [ $code -eq 0 ] || failed=1
}

set_language() { # tag, or "" for none
  if [ -n "$1" ]; then
    wine reg add "$settings_key" /v Language /t REG_SZ /d "3: $1" /f /reg:64 >/dev/null
  else
    wine reg delete "$settings_key" /v Language /f /reg:64 >/dev/null 2>&1 || true
  fi
}
before=$( (wine reg query "$settings_key" /v Language /reg:64 2>/dev/null || true) | tr -d '\r' | sed -n 's/.*REG_SZ *//p')

# Per language and scale: the report's lines of texts wider than their boxes ("fr 144  none" when every
# text fits); the dialog's screenshot per language at 96 DPI, and in English at 144 DPI.
report="$shots/clipped-texts.txt"
: > "$report"
for lang in en de fr ru; do
  set_language "$lang"
  for dpi in 96 120 144 192; do
    set_dpi "$dpi"
    out=-
    [ "$dpi" = 96 ] && out="$shots/settings-dialog-$lang.png"
    [ "$dpi" = 144 ] && [ "$lang" = en ] && out="$shots/settings-dialog-$lang-$dpi.png"
    rm -f "$measured"
    shoot "$out" settings "$(winpath "$measured")" "\"$(winpath "$scr")\" /c"
    if [ -s "$measured" ]; then
      tr -d '\r' < "$measured" | sed "s/^/$lang $dpi  /" >> "$report"
    else
      echo "$lang $dpi  not measured" >> "$report"; failed=1
    fi
  done
done
set_dpi "$dpi_before"
echo "Texts wider than their boxes: $report"

# The playlist editor in English, holding a few files made for it (the driver stores them as the playlist
# and puts the stored one back).
set_language en
mkdir -p "$music"
entries=()
for track in "Evening Bells" "Harbour Lights" "Northern Road" "Slow Tide"; do
  : > "$music/$track.mp3"
  entries+=("C:\\users\\Public\\Music\\Demo playlist\\$track.mp3")
done
shoot "$shots/playlist-editor.png" playlist "\"$(winpath "$scr")\" /c" "${entries[@]}"

if [ -n "$before" ]; then
  wine reg add "$settings_key" /v Language /t REG_SZ /d "$before" /f /reg:64 >/dev/null
else
  set_language ""
fi

bash "$root/scripts/preview_screenshot.sh" "$build" "$shots/preview.png"
echo "Screenshot: $shots/preview.png"
exit $failed
