#!/usr/bin/env bash
# Installs the Debian packages the build needs (only when one is missing),
# then configures and builds everything into build/.
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(cmake ninja-build g++ make pkg-config qt6-base-dev libqt6sql6-sqlite libqt6sql6-odbc
          qt6-image-formats-plugins libsqlite3-dev libxlsxwriter-dev libgl-dev xvfb xauth x11-utils
          sqlite3 unzip dpkg-dev postgresql libqt6sql6-psql libpq-dev libtesseract-dev tesseract-ocr-eng
          libsqliteodbc ccache xdotool zlib1g-dev sqlite3-tools zip python3-openpyxl qt6-translations-l10n lintian
          python3-pil fonts-liberation fonts-freefont-ttf fonts-noto-mono fonts-urw-base35
          fonts-roboto-unhinted fonts-lato fonts-crosextra-carlito fonts-hack)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if ((${#missing[@]})); then
  echo "Installiere fehlende Pakete: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

JOBS="${JOBS:-$(nproc)}"
# Lets ccache share objects between checkouts of this repository.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}" CCACHE_NOHASHDIR=true
if [ ! -f build/build.ninja ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build build -j "$JOBS"
