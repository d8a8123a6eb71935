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

# Every word of the list the set is built from (tests/docs checks that it
# holds every word the panel can say).
list=$(dirname "$script")/../doc/words.tsv
mapfile -t vocabulary < <(awk -F'\t' '!/^#/ && NF >= 3 { print $1 }' "$list")
[ "${#vocabulary[@]}" -ge 100 ] || fail "only ${#vocabulary[@]} words in $list"

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
for pause in $(awk -F'\t' '$2 ~ /^\(silence, / { sub(/^\(silence, /, "", $2); sub(/ s\)$/, "", $2); print $1 ":" $2 }' "$list"); do
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

# The key help tells every key: minutes, not seconds.
help=$(length help)
echo "make-voice: help.wav lasts $help s"
awk -v l="$help" 'BEGIN { exit !(l > 60) }' || fail "help.wav lasts only $help s"

touch "$work/wave/marker"
"$script" --if-stale "$work/wave" >/dev/null || fail "--if-stale failed"
[ -e "$work/wave/marker" ] || fail "--if-stale rebuilt a fresh set"
"$script" "$work/wave" >/dev/null || fail "the rebuild failed"
[ ! -e "$work/wave/marker" ] || fail "the rebuild kept a file of the old set"
[ -s "$work/wave/voc.wav" ] || fail "the rebuild lost voc.wav"

[ "$failures" -eq 0 ] && echo "make-voice: all checks passed"
exit $((failures > 0))
