#!/usr/bin/env bash
# torvatool shelf index, ls and search over the sample shelf, with a cache and state file of
# its own.
set -euo pipefail
tool="$1"
shelf="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# In code page 1250: [CD0206] records the first demo, "ŽLUŤOUČKÝ KŮŇ", as installed.
printf '[CD0206]\r\n\x8ELU\x8DOU\xC8K\xDD K\xD9\xD2=C:\\Hry\\Kun\\\r\n' > "$work/torva.ini"
options=(--cache "$work/cache/index" --state "$work/torva.ini")

first="$("$tool" shelf index "${options[@]}" "$shelf")"
[ "$(wc -l <<< "$first")" -eq 8 ] || fail "eight discs: $first"
grep -q '"source":"'"$shelf"'/Torva 02-2006.iso","kind":"iso","label":"Torva 2/2006","id":"0206","issue":"2/2006","date":"25. 1. 2006","counts":{"demos":8,' <<< "$first" || fail "the February disc: $first"
grep -q '"items":35,"installed":1,"read":true' <<< "$first" || fail "its items, the installed one, read now: $first"
grep -q '/Torva 07-2006.iso",.*"problem":{"kind":"truncated","file":"'"$shelf"'/Torva 07-2006.iso","reason":"ends at sector 20' <<< "$first" || fail "the cut image: $first"
grep -q '/Patches 2006.iso",.*"problem":{"kind":"no-catalogue",' <<< "$first" || fail "the other disc: $first"
! grep -q 'notes.txt\|track 1).bin' <<< "$first" || fail "only discs are listed: $first"

second="$("$tool" shelf index "${options[@]}" "$shelf")"
[ "$(grep -c '"read":false' <<< "$second")" -eq 8 ] || fail "the second run reads no disc: $second"

listed="$("$tool" shelf ls "${options[@]}" "$shelf")"
[ "$(grep -c '"indexed":true' <<< "$listed")" -eq 8 ] || fail "ls lists the index: $listed"
grep -q '"list":\[{"category":"demos","number":1,"name":"ŽLUŤOUČKÝ KŮŇ","firm":"ĎÁBELSKÉ HRY",' <<< "$listed" || fail "ls lists the items: $listed"

found="$("$tool" shelf search "${options[@]}" "zlutoucky kun" "$shelf")"
[ "$(wc -l <<< "$found")" -eq 2 ] || fail "two items: $found"
grep -q '"issue":"2/2006","id":"0206","label":"Torva 2/2006","category":"demos","number":1,"name":"ŽLUŤOUČKÝ KŮŇ",.*"installed":true}' <<< "$found" || fail "the February hit: $found"
grep -q '"issue":"3/2007",.*"category":"demos","number":4,"name":"ŠÍLENĚ ŽLUŤOUČKÝ KŮŇ ÚPĚL ĎÁBELSKÉ ÓDY",.*"installed":false}' <<< "$found" || fail "the March hit: $found"

if "$tool" shelf index "${options[@]}" 2>/dev/null; then fail "a shelf without folders is refused"; fi
echo ok
