#!/usr/bin/env bash
# Builds the Debian package, checks it with lintian, installs it on this
# machine, runs the installed programs on a freshly generated demo database,
# and removes it again.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/paket.sh
DEB="$(ls build/paket/tavero_*.deb | head -n 1)"
SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
ARBEIT="$(mktemp -d)"
ETC_ANGELEGT=""
entfernen() {
  $SUDO dpkg -r tavero >/dev/null 2>&1 || true
  if [ -n "$ETC_ANGELEGT" ]; then $SUDO rm -rf /etc/tavero; fi
  rm -rf "$ARBEIT"
}
trap entfernen EXIT
scheitern() { echo "$*" >&2; exit 1; }

# Debian's own check of the package: no error, no warning.
echo "lintian $DEB"
lintian --fail-on error,warning --tag-display-limit 0 "$DEB" || scheitern "lintian meldet Fehler oder Warnungen"

echo "Installiere $DEB"
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "./$DEB"
for f in /usr/bin/tavero /usr/bin/tavero-kopie /usr/share/applications/tavero.desktop \
         /usr/share/icons/hicolor/scalable/apps/tavero.svg /usr/share/man/man1/tavero.1.gz \
         /usr/share/man/man1/tavero-kopie.1.gz /usr/share/doc/tavero/copyright /usr/share/doc/tavero/changelog.gz; do
  [ -e "$f" ] || scheitern "Nicht installiert: $f"
done

/usr/bin/tavero --version | grep -q '^tavero ' || scheitern "tavero --version antwortet nicht"

# the generator writes the demo's Tavero.ini beside itself, as make demo does
QT_QPA_PLATFORM=offscreen build/bin/tavero-demo --out "$ARBEIT/demo" --alarms 500 --pictures 3 >/dev/null
DB="$ARBEIT/demo/prefix/drive_c/Projekte/Demo/Demo.kvs"
INI=build/bin/Tavero/Tavero.ini
OHNE_ANZEIGE=(env -u DISPLAY -u WAYLAND_DISPLAY WINEPREFIX="$ARBEIT/demo/prefix" XDG_CONFIG_HOME="$ARBEIT/config")

# The check report exits 1 on the demo: it has alarms without picture and without position.
pruefbericht() {
  local code=0
  "${OHNE_ANZEIGE[@]}" /usr/bin/tavero --pruefbericht "$DB" "$@" > "$ARBEIT/bericht.txt" || code=$?
  head -n 3 "$ARBEIT/bericht.txt"
  if [ "$code" != 1 ] || ! grep -q '^Alarm ohne Bild: [1-9]' "$ARBEIT/bericht.txt"; then
    scheitern "tavero --pruefbericht $* endete mit $code"
  fi
}
pruefbericht --ini "$INI"

# Without --ini: the user's own Tavero.ini, else the system-wide one.
if [ ! -e /etc/tavero/Tavero.ini ]; then
  code=0
  "${OHNE_ANZEIGE[@]}" /usr/bin/tavero --pruefbericht "$DB" > /dev/null 2> "$ARBEIT/fehler.txt" || code=$?
  [ "$code" = 2 ] && grep -q 'Konfigurationsdatei' "$ARBEIT/fehler.txt" || scheitern "ohne Tavero.ini: Ende $code statt 2"
fi
mkdir -p "$ARBEIT/config/tavero"
cp "$INI" "$ARBEIT/config/tavero/Tavero.ini"
pruefbericht
rm -r "$ARBEIT/config/tavero"
if [ ! -e /etc/tavero ]; then
  ETC_ANGELEGT=1
  $SUDO mkdir -p /etc/tavero
  $SUDO cp "$INI" /etc/tavero/Tavero.ini
  pruefbericht
fi

# tavero-kopie copies the demo table into a new SQLite file; sqlite3 counts the rows independently.
"${OHNE_ANZEIGE[@]}" /usr/bin/tavero-kopie "$DB" "$ARBEIT/kopie.kvs"
[ "$(sqlite3 "$ARBEIT/kopie.kvs" 'select count(*) from Alarmdefs')" = 500 ] || scheitern "tavero-kopie: Zeilenzahl falsch"
code=0
"${OHNE_ANZEIGE[@]}" /usr/bin/tavero-kopie "$DB" "$ARBEIT/kopie.kvs" 2> /dev/null || code=$?
[ "$code" = 1 ] || scheitern "tavero-kopie auf ein volles Ziel ohne --ersetzen endete mit $code statt 1"

echo "Paket geprüft: lintian ohne Befund; installiert; tavero (mit und ohne --ini) und tavero-kopie laufen aus /usr/bin."
