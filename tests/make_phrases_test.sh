#!/usr/bin/env bash
# scripts/make-phrases writes one playable recording per listed name, in the
# device format, trimmed at both ends, and "delay" as pure silence.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
for tool in espeak-ng sox soxi; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool not installed (scripts/setup)"; exit 77; }
done
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
bash "$root/scripts/make-phrases" "$out"

fail() { echo "FAIL: $*" >&2; status=1; }
status=0
# Largest sample of the first or last 3 ms, as a fraction of full scale.
edge() { sox "$1" -n $2 trim 0 0.003 stat 2>&1 | awk '/Maximum amplitude/{print $3}'; }

names=$(grep -v '^#' "$root/data/phrases.tsv" | cut -f1 | grep -v '^$')
[ "$(ls "$out/wave" | wc -l)" -eq "$(echo "$names" | wc -l)" ] || fail "file count differs from the list"
for name in $names; do
  f="$out/wave/$name.wav"
  [ -f "$f" ] || { fail "$name.wav missing"; continue; }
  [ "$(soxi -r "$f") $(soxi -c "$f") $(soxi -b "$f")" = "22050 1 16" ] || fail "$name.wav format"
  if [ "$name" = delay ]; then
    [ "$(soxi -s "$f")" -eq 2205 ] || fail "delay.wav is not 100 ms"
    [ "$(edge "$f" "")" = "0.000000" ] || fail "delay.wav is not silent"
    continue
  fi
  peak=$(sox "$f" -n stat 2>&1 | awk '/Maximum amplitude/{print $3}')
  awk -v p="$peak" 'BEGIN{exit !(p > 0.85 && p < 0.90)}' || fail "$name.wav peak $peak, not -1 dBFS"
  for side in "" reverse; do
    level=$(edge "$f" "$side")
    awk -v l="$level" 'BEGIN{exit !(l >= 0.003)}' || fail "$name.wav silent ${side:+at the end}${side:-at the start} ($level)"
  done
done
# A faster set is shorter; an unknown voice or speed is refused before
# anything is written.
fast=$(mktemp -d)
trap 'rm -rf "$out" "$fast"' EXIT
bash "$root/scripts/make-phrases" --speed 300 --voice en-us "$fast" 2>/dev/null
awk -v f="$(soxi -D "$fast/wave/help.wav")" -v d="$(soxi -D "$out/wave/help.wav")" \
  'BEGIN{exit !(f < 0.8 * d)}' || fail "help.wav at 300 wpm is not shorter"
for bad in "--voice zz" "--speed 20" "--speed fast"; do
  code=0
  bash "$root/scripts/make-phrases" $bad "$fast/bad" 2>/dev/null || code=$?
  [ "$code" -eq 2 ] && [ ! -e "$fast/bad" ] || fail "make-phrases $bad: status $code"
done
# Names keep their case.
[ -f "$out/wave/SWR.wav" ] && [ -f "$out/wave/Power.wav" ] && [ -f "$out/wave/EF.wav" ] || fail "case of names"
exit $status
