#!/usr/bin/env bash
# Builds everything and the Debian package build/paket/tavero_<version>_<arch>.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
rm -f build/paket/tavero_*.deb
(cd build && cpack -G DEB)
ls build/paket/tavero_*.deb
