#!/usr/bin/env bash
# Sets everything up, generates the demo project and starts Tavero on it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
BIN=build/bin
if [ ! -x "$BIN/tavero-demo" ] || [ ! -x "$BIN/tavero" ]; then
  echo "tavero-demo oder tavero ist noch nicht gebaut." >&2
  exit 1
fi
OUT="$PWD/build/demo"
rm -rf "$OUT"
"$BIN/tavero-demo" --out "$OUT" "$@"
export WINEPREFIX="$OUT/prefix"
DB="$OUT/prefix/drive_c/Projekte/Demo/Demo.kvs"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" != offscreen ]; then
  echo "Keine Anzeige gefunden. Tavero starten mit:"
  echo "  WINEPREFIX=$WINEPREFIX xvfb-run -a $PWD/$BIN/tavero $DB"
  echo "oder ohne Datenbank (Projektauswahl):"
  echo "  WINEPREFIX=$WINEPREFIX xvfb-run -a $PWD/$BIN/tavero"
  exit 0
fi
if [ "${TAVERO_DEMO_OHNE_DB:-}" = 1 ]; then
  exec "$BIN/tavero"
fi
exec "$BIN/tavero" "$DB"
