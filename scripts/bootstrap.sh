#!/usr/bin/env bash
# Installs every Debian package the project needs and fetches the pugixml source package.
# Idempotent; works as root or through sudo.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

packages=(
  cmake ninja-build clang libclang-rt-14-dev clang-format
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 mingw-w64-tools
  wine wine64 wine32:i386
  libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386
  xvfb x11-utils imagemagick fonts-dejavu-core
  googletest dpkg-dev python3 hyperfine
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

need_update=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  need_update=1
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
  need_update=1
fi

third="$here/third_party"
have_pugixml=0
ls "$third"/pugixml-*/src/pugixml.cpp >/dev/null 2>&1 && have_pugixml=1

if [ ${#missing[@]} -gt 0 ] || [ $have_pugixml -eq 0 ]; then
  if [ $need_update -eq 1 ] || [ ! -f /var/lib/apt/lists/lock ] || [ -z "$(ls /var/lib/apt/lists/ | grep -i Sources || true)" ]; then
    $SUDO apt-get update -q
  fi
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "bootstrap: installing ${missing[*]}"
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}" || {
    $SUDO apt-get update -q
    $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
  }
fi

bash "$here/scripts/ensure-i386.sh"

if [ $have_pugixml -eq 0 ]; then
  mkdir -p "$third"
  (cd "$third" && apt-get source -q --download-only pugixml >/dev/null 2>&1 || apt-get source -q --download-only pugixml)
  (cd "$third" && dpkg-source -x --no-check pugixml_*.dsc >/dev/null)
  ls "$third"/pugixml-*/src/pugixml.cpp >/dev/null
fi
echo "bootstrap: ready"
