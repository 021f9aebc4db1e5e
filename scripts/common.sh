# Shared by the scripts that build and run the Windows build under Wine; sourced, not run.

# A Linux path as a Windows program under Wine sees it (drive Z: is the root).
winpath() { echo "Z:$(echo "$1" | sed 's#/#\\#g')"; }

# The settings key as `wine reg` names it (with /reg:64 it is the view the screensaver and the main
# program use).
settings_key='HKLM\Software\Orvanta\Quillmere - Taveny 3D Screensaver'

# The two Windows flavours: the 32-bit file (preset windows) and the 64-bit file (preset windows-x64).
# A build folder whose name ends in -x64 holds the 64-bit one.
windows_preset_of() { case "$(basename "$1")" in *-x64) echo windows-x64 ;; *) echo windows ;; esac; }

# Configures BUILD_DIR with its flavour's preset unless that was done, then builds the named targets.
build_windows_targets() {
  local build=$1
  shift
  [ -f "$build/CMakeCache.txt" ] || cmake --preset "$(windows_preset_of "$build")" -B "$build" >/dev/null
  cmake --build "$build" --target "$@" >/dev/null
}

# True where 32-bit programs run only through QEMU's emulator (scripts/ensure-i386.sh set it up).
i386_emulated() {
  [ -f /proc/sys/fs/binfmt_misc/qemu-i386 ] && head -1 /proc/sys/fs/binfmt_misc/qemu-i386 | grep -qx enabled
}

# The build folder of the flavour this machine runs natively, which the measurements use by default:
# the 64-bit one where 32-bit programs are emulated (5 to 20 times slower), else the 32-bit one.
native_windows_build() { # ROOT
  if i386_emulated; then echo "$1/build/windows-x64"; else echo "$1/build/windows"; fi
}

# The flavour the demo builds and runs: the 64-bit file on x86-64, which runs it natively and needs no
# 32-bit set-up at all (Wine's 32-bit half, the i386 libraries, and QEMU where the kernel runs no 32-bit
# code); the 32-bit file elsewhere.
demo_preset() { if [ "$(uname -m)" = x86_64 ]; then echo windows-x64; else echo windows; fi; }

# One line saying which flavour BUILD_DIR holds and how it runs here, for the head of a measurement.
describe_flavour() { # BUILD_DIR
  if [ "$(windows_preset_of "$1")" = windows-x64 ]; then
    echo "Flavour measured: 64-bit ($1), running natively"
  elif i386_emulated; then
    echo "Flavour measured: 32-bit ($1), running under QEMU's emulator: its times say little of the program's own"
  else
    echo "Flavour measured: 32-bit ($1), running natively"
  fi
}

# The Wine session of the build folder BUILD_DIR, exported for this shell and what it starts: the build's
# own 64-bit prefix (QM_WINEPREFIX puts it elsewhere), Wine's debug output off unless WINEDEBUG asks for
# it, no offer to download Mono or Gecko, which would stall an unattended run behind a dialog, and one locale.
# Beside the prefix: PREFIX.display names the virtual display wine-env.sh started, PREFIX.xvfb.pid its server.
wine_env() {
  export WINEPREFIX="${QM_WINEPREFIX:-$1/wineprefix}"
  export WINEARCH=win64
  export WINEDEBUG="${WINEDEBUG:--all}"
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
  # One locale for the session, whatever the caller's LANG and LC_*: Wine takes each program's ANSI code
  # page and formats from it. C.UTF-8 is in every Debian 12 system, and Wine reads it as English (1252).
  export LC_ALL=C.UTF-8
  unset LANGUAGE
  wine_display_file="$WINEPREFIX.display"
  wine_xvfb_pid_file="$WINEPREFIX.xvfb.pid"
}

# What a Wine prefix is made with: the installed halves of Debian's Wine and their versions, one per line
# ("wine64:amd64=8.0~repack-4"). Debian's wine starts the 32-bit loader whenever wine32 is installed, and
# that loader needs the 32-bit half of the prefix (syswow64), which only a prefix made with it has.
wine_installed() {
  dpkg-query -W -f='${db:Status-Abbrev}${Package}:${Architecture}=${Version}\n' wine64 wine32:i386 2>/dev/null |
    sed -n 's/^ii *//p' || true
}

# Uses the session's virtual display unless DISPLAY is set. Call after wine_env and "wine-env.sh start".
wine_display() {
  if [ -z "${DISPLAY:-}" ] && [ -f "$wine_display_file" ]; then
    DISPLAY=$(cat "$wine_display_file")
    export DISPLAY
  fi
}
