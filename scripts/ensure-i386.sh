#!/usr/bin/env bash
# Makes sure this machine can run 32-bit Linux programs, which Wine's 32-bit loader is: every 32-bit
# Windows program (the screensaver and its tests) starts through it. Some virtual machines boot a kernel
# that refuses 32-bit programs ("Exec format error"); there the loader runs under QEMU's user-mode i386
# emulator, registered for 32-bit ELF files through binfmt_misc. QEMU before 8 ignores
# MAP_FIXED_NOREPLACE, which makes Wine's address-space set-up take about a minute per process, so the
# emulator comes from bookworm-backports. Where 32-bit programs run natively this does nothing.
# Called by bootstrap.sh after the packages are installed; idempotent.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
source "$(dirname "$0")/apt.sh"

probe=/lib/ld-linux.so.2 # the 32-bit dynamic loader, from libc6:i386 (a dependency of wine32)
runs_32bit() { "$probe" --version >/dev/null 2>&1; }

if [ ! -e "$probe" ]; then
  echo "ensure-i386: $probe is missing (libc6:i386)" >&2
  exit 1
fi
runs_32bit && exit 0

emulator=/usr/bin/qemu-i386
recent_emulator() {
  [ -x "$emulator" ] && "$emulator" --version | grep -qE 'version ([89]|[1-9][0-9])\.'
}
if ! recent_emulator; then
  if ! grep -rqsE '^[^#]*bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    $SUDO tee /etc/apt/sources.list.d/quillmere-backports.sources >/dev/null <<'SRC'
Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm-backports
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  fi
  echo "ensure-i386: this kernel runs no 32-bit programs; installing QEMU's i386 emulator"
  apt_update
  apt_install -t bookworm-backports qemu-user-static
  recent_emulator || { echo "ensure-i386: no QEMU 8 or later to be had" >&2; exit 1; }
fi

binfmt=/proc/sys/fs/binfmt_misc
[ -e "$binfmt/register" ] || $SUDO mount -t binfmt_misc binfmt_misc "$binfmt"
# An entry made earlier may name another emulator (F keeps the file it was given open): make it anew.
if [ -e "$binfmt/qemu-i386" ]; then echo -1 | $SUDO tee "$binfmt/qemu-i386" >/dev/null; fi
# 32-bit little-endian ELF, executable or shared object, machine 386.
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
printf '%s\n' ":qemu-i386:M::$magic:$mask:$emulator:F" | $SUDO tee "$binfmt/register" >/dev/null

runs_32bit || { echo "ensure-i386: 32-bit programs still do not run" >&2; exit 1; }
echo "ensure-i386: 32-bit programs run under $("$emulator" --version | head -1)"
