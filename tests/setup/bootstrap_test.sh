#!/usr/bin/env bash
# The set-up without the network: copies of the scripts with stand-ins early on PATH. On a half-synced
# mirror apt's update exits 100 and its install fails for unmet dependencies unless the release is
# preferred (INSTALL=fallback) or always (INSTALL=fail); Wine's prefix follows the Wine that is installed.
set -uo pipefail
src=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin" "$work/copy/scripts" "$work/copy/third_party/pugixml-0/src"
cp "$src/scripts/"{bootstrap,apt,common,wine-env}.sh "$work/copy/scripts/"
touch "$work/copy/third_party/pugixml-0/src/pugixml.cpp"
echo 'exit 0' > "$work/copy/scripts/ensure-i386.sh"
cat > "$work/bin/apt-get" <<'STANDIN'
#!/usr/bin/env bash
echo "apt-get $*" >> "$CALLS"
case "$1" in
  update)
    echo "E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?" >&2
    exit 100 ;;
  install)
    if [ "$INSTALL" = fallback ] && [[ " $* " == *" -t bookworm "* ]]; then exit 0; fi
    echo "The following packages have unmet dependencies:"
    echo " libwine:i386 : Depends: libgstreamer-plugins-base1.0-0:i386 (>= 1.0.0) but it is not installable"
    echo "E: Unable to correct problems, you have held broken packages." >&2
    exit 100 ;;
esac
STANDIN
printf '#!/bin/sh\nprintf "$INSTALLED"\n[ -n "$INSTALLED" ]\n' > "$work/bin/dpkg-query"
# Wine: wineboot makes the 32-bit half of the prefix when wine32 is installed.
printf '#!/bin/sh\necho "wineboot $*" >> "$CALLS"\ncase "$INSTALLED" in *wine32*) d=$WINEPREFIX/drive_c/windows/syswow64 && mkdir -p $d && touch $d/kernel32.dll ;; esac\n' > "$work/bin/wineboot"
printf '#!/bin/sh\nexit 0\n' | tee "$work/bin/wine" > "$work/bin/wineserver"
printf '#!/bin/sh\n[ "$1" = --print-foreign-architectures ] && echo i386\nexit 0\n' > "$work/bin/dpkg"
printf '#!/bin/sh\nexec "$@"\n' > "$work/bin/sudo"
chmod +x "$work/bin/"*

failures=0
check() { "${@:2}" || { echo "FAILED: $1"; failures=$((failures + 1)); }; } # DESCRIPTION CONDITION...
for case in fallback fail; do
  export CALLS="$work/calls-$case" INSTALL=$case
  : > "$CALLS"
  code=0
  PATH="$work/bin:$PATH" QM_APT_TRIES=2 QM_APT_PAUSE=0 bash "$work/copy/scripts/bootstrap.sh" > "$work/out" 2>&1 || code=$?
  echo "== $case: exit $code"
  sed 's/^/   /' "$work/out"
  check "$case: the update is tried again" [ "$(grep -c '^apt-get update' "$CALLS")" -eq 2 ]
  check "$case: the failing index is named" grep -q 'still fails (http://.*binary-i386/Packages.xz)' "$work/out"
  check "$case: the install is tried again with the release preferred" \
    grep -q '^apt-get install -y -q --no-install-recommends -t bookworm .*wine32:i386' "$CALLS"
  if [ $case = fallback ]; then
    check "fallback: the set-up ends ready" [ $code -eq 0 ]
    check "fallback: it says it preferred the release" grep -q 'trying again with .*(-t bookworm)' "$work/out"
  else
    check "fail: the set-up stops with a non-zero code" [ $code -ne 0 ]
    check "fail: apt's own message is shown" grep -q '^E: Unable to correct problems' "$work/out"
  fi
done

# A prefix that the demo made with the 64-bit half alone, and the test command has installed the 32-bit one.
export CALLS="$work/calls-prefix" DISPLAY=:0 QM_WINEPREFIX="$work/prefix"
export INSTALLED='ii wine64:amd64=8.0\nii wine32:i386=8.0\n'
mkdir -p "$QM_WINEPREFIX" && echo 'wine64:amd64=8.0' > "$QM_WINEPREFIX/.qm-ready"
PATH="$work/bin:$PATH" bash "$work/copy/scripts/wine-env.sh" start "$work"
check "a prefix without the 32-bit half is made anew once that half is installed" grep -qx 'wineboot -i' "$CALLS"

[ $failures -eq 0 ] && echo "all passed"
exit $((failures > 0))
