#!/usr/bin/env bash
# The operator's reference against the panel's sources: every key the panel
# names has its item in doc/keys.md, every word the panel can say has its row
# in doc/words.tsv, and the copies of both in the README and vocpanel(1) are
# up to date.
set -uo pipefail

root=$1
keys=$root/doc/keys.md
words=$root/doc/words.tsv
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# --- Keys ---------------------------------------------------------------
# The key codes the panel names: the members of its key enumerations and its
# key constants (keyEnter, keyF11, keyPageUp, ...).
keyNames=$(awk '
  /enum[^{;]*Key[^{;]*\{/ { inside = 1 }
  inside { print }
  inside && /\};/ { inside = 0 }
  /const int key[A-Z0-9][A-Za-z0-9]* *=/ { print }
' "$root"/panel/*.cpp "$root"/panel/*.h | grep -o '\bkey[A-Z0-9][A-Za-z0-9]*\b' | sort -u)
[ "$(echo "$keyNames" | wc -w)" -ge 40 ] || fail "found only $(echo "$keyNames" | wc -w) key names in panel/: the scan needs updating"

# The name an operator knows each key by, as its item in doc/keys.md begins.
docName() {
  case "$1" in
    key[A-Z] | keyF[0-9] | keyF1[0-2]) echo "${1#key}" ;;
    key[0-9]) echo Digits ;;
    keyPad[0-9] | keyPadPoint) echo Keypad ;;
    keyEnter | keySpace | keyUp | keyDown | keyLeft | keyRight | keyShift | keyInsert) echo "${1#key}" ;;
    keyCtrl) echo Ctrl ;;
    keyLeftWindows) echo Windows ;;
    keyPageUp) echo "Page Up" ;;
    keyPageDown) echo "Page Down" ;;
    keyPoint) echo . ;;
    keyPlus) echo = ;;
    keyMinus) echo - ;;
    *) echo "" ;;
  esac
}
keyCount=0
for code in $keyNames; do
  name=$(docName "$code")
  if [ -z "$name" ]; then
    fail "the panel names $code: give it its doc name in tests/docs/docs_test.sh and an item in doc/keys.md"
    continue
  fi
  grep -qF -- "- **$name**:" "$keys" || fail "$code has no item \"- **$name**:\" in doc/keys.md"
  keyCount=$((keyCount + 1))
done
# The extended keys have items of their own.
for extended in "X R" "X W" "X T" "X L" "X S" "X F" "X M"; do
  grep -qF -- "- **$extended**:" "$keys" || fail "no item for $extended in doc/keys.md"
done

# --- Words --------------------------------------------------------------
# What the panel can say: every text literal in a say call, the first one of
# a switch (toggleSwitch("preamp", ...)), the speech tables (arrays named
# ...Words, the mode table's .wav names, the options report's table), the
# digits and "point" that numbers are spoken with, the band table's names.
said=$(
  cat "$root"/panel/*.cpp | awk '
    /say(Word|WordAsync|Pacing)\(/ { line = $0; while (match(line, /"[^"]*"/)) { print substr(line, RSTART + 1, RLENGTH - 2); line = substr(line, RSTART + RLENGTH) } }
    /toggleSwitch\("/ { if (match($0, /toggleSwitch\("[^"]*"/)) print substr($0, RSTART + 14, RLENGTH - 15) }
    /[A-Za-z]*Words(\[[^]]*\])? *=/ { table = 1 }
    table { line = $0; while (match(line, /"[^"]*"/)) { print substr(line, RSTART + 1, RLENGTH - 2); line = substr(line, RSTART + RLENGTH) } }
    table && /;/ { table = 0 }
    { line = $0; while (match(line, /"[A-Za-z0-9]+\.wav"/)) { print substr(line, RSTART + 1, RLENGTH - 2); line = substr(line, RSTART + RLENGTH) } }
    /^ *\{s\.[^,]*, "[a-z]+"\},/ { match($0, /"[a-z]+"/); print substr($0, RSTART + 1, RLENGTH - 2) }
    /^ *\{[A-Za-z0-9]+, \{"/ { match($0, /\{"[^}]*\}/); line = substr($0, RSTART, RLENGTH); while (match(line, /"[^"]*"/)) { print substr(line, RSTART + 1, RLENGTH - 2); line = substr(line, RSTART + RLENGTH) } }
  '
  printf '%s\n' 0 1 2 3 4 5 6 7 8 9 point
)
said=$(echo "$said" | tr 'A-Z' 'a-z' | sed 's/\.wav$//' | grep -v '^$' | sort -u)
# The scan still sees every kind of place a word comes from.
for known in connected preamp 160 lsb mid tuner voc delay help nb; do
  grep -qx -- "$known" <<<"$said" || fail "the word scan no longer finds \"$known\" in panel/: it needs updating"
done
listed=$(awk -F'\t' '!/^#/ && NF >= 3 { print tolower($1) }' "$words" | sort -u)
wordCount=0
for word in $said; do
  grep -qxF -- "$word" <<<"$listed" || fail "the panel can say \"$word\", which has no row in doc/words.tsv"
  wordCount=$((wordCount + 1))
done
awk -F'\t' '!/^#/ && NF > 0 && NF != 3 { print "FAIL: doc/words.tsv line " NR " has " NF " columns, not 3"; bad = 1 } END { exit bad }' "$words" ||
  failures=$((failures + 1))

# --- Copies -------------------------------------------------------------
"$root/tools/make-docs" --check || failures=$((failures + 1))

echo "docs: $keyCount key names, $(echo "$listed" | wc -l) word files, $wordCount words the panel can say"
[ "$failures" -eq 0 ] && echo "docs: all checks passed"
exit $((failures > 0))
