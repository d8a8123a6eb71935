#!/usr/bin/env bash
# The word set builder: every word the panel speaks gets its file, the pacing
# words have their lengths, --if-stale leaves a fresh set alone, and a rebuild
# replaces the set whole. Exit 77 (skipped) when espeak-ng or sox is missing.
set -uo pipefail

script=$1
for tool in espeak-ng sox soxi; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Every word the panel plays, as the panel names it.
vocabulary=(
  0 1 2 3 4 5 6 7 8 9 point perc plus
  160 80 60 40 30 20 17 15 12 10 6 2 70 metres un band
  mhz khz hz bw s SWR gt4 ls1 21 alc wpm lev micgain Power rf ag ks co txbw wide mid nar
  lsb.wav usb.wav cw.wav am.wav fm.wav nar.wav dstar.wav
  on off on.wav off.wav max min ok invalid na preamp at nb nr notch spc bkin vox mon lock unlock
  tuner is both atu tune tune.wav ton tx split swop vfoa vfob RTS options extcm
  ctcss dcs ec n r warnctcss EF sch gch channel
  voc connected nc vnc cfgnf quit help.wav delay shdelay shdel
)

"$script" >/dev/null 2>&1; [ $? -eq 2 ] || fail "no folder given is not a usage error"

"$script" "$work/wave" >/dev/null || fail "the build failed"
for word in "${vocabulary[@]}"; do
  file=$(echo "$word" | tr 'A-Z' 'a-z')
  case "$file" in *.wav) ;; *) file="$file.wav" ;; esac
  [ -s "$work/wave/$file" ] || fail "no file for \"$word\""
done
[ -z "$(ls "$work/wave" | grep '[A-Z]')" ] || fail "upper case in file names"
[ "$(ls -A "$work" | wc -l)" -eq 1 ] || fail "left something beside the set: $(ls -A "$work")"

length() { soxi -D "$work/wave/$1.wav"; }
for pause in delay:0.120 shdel:0.080 shdelay:0.130; do
  # Exact to a sample: within 0.1 ms of the length asked for.
  awk -v l="$(length "${pause%%:*}")" -v want="${pause#*:}" 'BEGIN { d = l - want; exit !(d < 0.0001 && d > -0.0001) }' \
    || fail "${pause%%:*} lasts $(length "${pause%%:*}") s"
done
[ "$(soxi -r "$work/wave/voc.wav")" = 22050 ] || fail "voc.wav is not 22050 Hz"
[ "$(soxi -c "$work/wave/voc.wav")" = 1 ] || fail "voc.wav is not mono"
[ "$(soxi -b "$work/wave/voc.wav")" = 16 ] || fail "voc.wav is not 16-bit"
# Spoken words are trimmed but still words: between 0.1 s and 3 s.
for word in voc 3 point mhz 160; do
  awk -v l="$(length "$word")" 'BEGIN { exit !(l > 0.1 && l < 3) }' || fail "$word lasts $(length "$word") s"
done

touch "$work/wave/marker"
"$script" --if-stale "$work/wave" >/dev/null || fail "--if-stale failed"
[ -e "$work/wave/marker" ] || fail "--if-stale rebuilt a fresh set"
"$script" "$work/wave" >/dev/null || fail "the rebuild failed"
[ ! -e "$work/wave/marker" ] || fail "the rebuild kept a file of the old set"
[ -s "$work/wave/voc.wav" ] || fail "the rebuild lost voc.wav"

[ "$failures" -eq 0 ] && echo "make-voice: all checks passed"
exit $((failures > 0))
