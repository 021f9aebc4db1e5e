#!/usr/bin/env bash
# Installs the Debian packages the project needs and fetches the pugixml source package.
#   bootstrap.sh               everything: all three builds and every test (scripts/test.sh)
#   bootstrap.sh windows-x64   only what the 64-bit file and the demo need: no i386 packages, no
#                              32-bit set-up, no native build (scripts/demo.sh on x86-64)
# Idempotent; works as root or through sudo.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
what=${1:-all}
case "$what" in all | windows-x64) ;; *) echo "usage: bootstrap.sh [all|windows-x64]" >&2; exit 2 ;; esac

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
source "$here/scripts/apt.sh"

packages=(
  cmake ninja-build googletest dpkg-dev
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 libgl1 libglx-mesa0 libgl1-mesa-dri
  xvfb x11-utils imagemagick fonts-dejavu-core
)
if [ "$what" = all ]; then
  # git: the layout check lists the files it checks with git ls-files.
  packages+=(
    clang libclang-rt-14-dev clang-format python3 hyperfine git
    g++-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-tools
    wine32:i386 libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386
  )
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ "$what" = all ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi

# A source-package entry, so that "apt-get source" can fetch pugixml.
if ! grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  $SUDO tee /etc/apt/sources.list.d/quillmere-src.sources >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
fi

third="$here/third_party"
have_pugixml=0
ls "$third"/pugixml-*/src/pugixml.cpp >/dev/null 2>&1 && have_pugixml=1

# Fresh indexes before anything is fetched: the packages of older ones may be gone from the mirror.
if [ ${#missing[@]} -gt 0 ] || [ $have_pugixml -eq 0 ]; then apt_update; fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "bootstrap: installing ${missing[*]}"
  apt_install "${missing[@]}"
fi

if [ "$what" = all ]; then bash "$here/scripts/ensure-i386.sh"; fi

if [ $have_pugixml -eq 0 ]; then
  mkdir -p "$third"
  (cd "$third" && apt-get source -q --download-only pugixml >/dev/null 2>&1 || apt-get source -q --download-only pugixml)
  (cd "$third" && dpkg-source -x --no-check pugixml_*.dsc >/dev/null)
  ls "$third"/pugixml-*/src/pugixml.cpp >/dev/null
fi
echo "bootstrap: ready"
