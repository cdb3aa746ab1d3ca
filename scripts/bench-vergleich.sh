#!/usr/bin/env bash
# Compares two builds of tavero-bench figure by figure: each area runs in
# turns, old then new, for several rounds; the table gives each figure's
# median for both, their ratio (new/old) and marks a ratio above the limit
# where a larger figure is the worse one. Each area's run is also timed as
# processor time (user+system of the whole program: "<area>_prozessorzeit").
#
#   scripts/bench-vergleich.sh ALT NEU [RUNDEN] [BEREICH...]
#
# ALT, NEU: the two tavero-bench programs. RUNDEN: rounds (default 3).
# Without areas those both builds know are taken (alarmdefs auswahl
# bildfenster projektauswahl werkzeuge vorschlaege, and server when PGHOST is
# set, as under pg_virtualenv). GRENZE (default 1.10) is the limit of the
# mark; AUSGABE a folder for the raw runs (default a temporary one).
# Example, the server too:
#   pg_virtualenv -t -o fsync=off scripts/bench-vergleich.sh /tmp/alt/build/bin/tavero-bench build/bin/tavero-bench 3
set -euo pipefail
alt=${1:?ALT}
neu=${2:?NEU}
runden=${3:-3}
shift $(( $# < 3 ? $# : 3 ))
bereiche=("$@")
if ((${#bereiche[@]} == 0)); then
  bereiche=(alarmdefs auswahl bildfenster projektauswahl werkzeuge vorschlaege)
  [ -n "${PGHOST:-}" ] && bereiche+=(server)
fi
grenze=${GRENZE:-1.10}
ausgabe=${AUSGABE:-$(mktemp -d)}
mkdir -p "$ausgabe"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

for ((r = 1; r <= runden; r++)); do
  for b in "${bereiche[@]}"; do
    # old and new in turns, the order swapped each round, so a change of load hits both alike
    if ((r % 2)); then reihe=(alt neu); else reihe=(neu alt); fi
    for seite in "${reihe[@]}"; do
      programm=$alt
      [ "$seite" = neu ] && programm=$neu
      datei="$ausgabe/$seite-$b-$r.txt"
      /usr/bin/time -f "${b}_prozessorzeit %U+%S s" -o "$datei.zeit" "$programm" "$b" >"$datei" 2>"$datei.err" || true
      awk '{ split($2, t, "+"); print $1, t[1] + t[2], "s" }' "$datei.zeit" >>"$datei"
      echo "runde $r $b $seite fertig" >&2
    done
  done
done

# Median per figure and side; a figure both sides give is compared.
awk -v grenze="$grenze" '
  function median(s,   n, a, i, j, x) {
    n = split(s, a, " ")
    for (i = 2; i <= n; i++) { x = a[i]; for (j = i - 1; j >= 1 && a[j] > x; j--) a[j + 1] = a[j]; a[j + 1] = x }
    return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
  }
  FNR == 1 { seite = FILENAME; sub(/.*\//, "", seite); sub(/-.*/, "", seite) }
  NF >= 2 && $2 ~ /^-?[0-9.]+(e[-+]?[0-9]+)?$/ {
    werte[seite, $1] = werte[seite, $1] " " ($2 + 0); einheit[$1] = $3
    if (!((seite, $1) in da)) { da[seite, $1] = 1; if (seite == "alt") reihe[++n] = $1 }
  }
  END {
    printf "%-58s %12s %12s %7s %s\n", "Figur", "alt", "neu", "neu/alt", "Einheit"
    for (i = 1; i <= n; i++) {
      f = reihe[i]
      if (!(("neu", f) in da)) continue
      a = median(werte["alt", f]); b = median(werte["neu", f])
      v = a != 0 ? sprintf("%.3f", b / a) : "-"
      printf "%-58s %12.6g %12.6g %7s %s%s\n", f, a, b, v, einheit[f], (a != 0 && b / a > grenze ? "  <<" : "")
    }
  }' "$ausgabe"/alt-*.txt "$ausgabe"/neu-*.txt
echo "(Läufe in $ausgabe)" >&2
