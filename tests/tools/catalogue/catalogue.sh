#!/usr/bin/env bash
# torvatool catalogue dump/check and status on a small disc written here.
set -euo pipefail
tool="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
disc="$work/disc"
mkdir -p "$disc/Torva/Small" "$disc/DEMOS/hra" "$disc/Updates/patch"
echo marker > "$disc/TORVA.EXE"
echo setup > "$disc/DEMOS/hra/setup.exe"
echo setup > "$disc/Updates/patch/setup.exe"
# The catalogue in code page 1250: "Pařeniště" is Pa\xF8eni\x9At\xEC.
printf '[Main]\r\nCD=0206\r\nCDLabel=Unor\r\nDemos=2\r\nUpdates=2\r\nDrivers=1\r\nExtra=1\r\nExtra2=1\r\nVersion=2\r\n' > "$disc/Torva/torvaxp.ini"
printf '[Demo1]\r\nName=Hra & spol\r\nInstallDir=hra\r\nSetupName=setup.exe\r\nReadmeName=ctime.txt\r\nInstallType=0\r\nGamename=hra.exe\r\nPicture=hra\r\n' >> "$disc/Torva/torvaxp.ini"
printf '[Demo2]\r\nName=Pa\xF8eni\x9At\xEC\r\nInstallType=42\r\n' >> "$disc/Torva/torvaxp.ini"
printf '[Driver1]\r\nName=Ovlada\xE8 CZ\r\n' >> "$disc/Torva/torvaxp.ini"
# Extra21 is the first Extra2 item, not a 21st Extra item; Extra22 lies beyond Extra2's count.
printf '[Extra1]\r\nName=Bonus\r\n[Extra21]\r\nName=Bonus 2\r\n[Extra22]\r\nName=Navic\r\n' >> "$disc/Torva/torvaxp.ini"
printf '[Updates]\r\nUpdate1=Patch 1.1,build 7,patch\\setup.exe,readme.txt,1\r\nUpdate2=Oprava,a,b,c,ne\r\n' >> "$disc/Torva/torvaxp.ini"

fail() { echo "FAIL: $*" >&2; exit 1; }

dump="$("$tool" catalogue dump --prefix "$work/prefix" "$disc")"
grep -q '"Title":"Torva DVD 02-2006"' <<< "$dump" || fail "title: $dump"
grep -q '"Name":"HRA && SPOL"' <<< "$dump" || fail "ampersands doubled and upper-cased"
grep -q '"Name":"PAŘENIŠTĚ"' <<< "$dump" || fail "every letter upper-cased, UTF-8 output"
grep -q '"Drivers":\[\]' <<< "$dump" || fail "the Czech driver is dropped outside the first edition"
grep -q '"NoRun":1' <<< "$dump" || fail "update fields"
grep -q 'fifth field' <<< "$dump" || fail "warning for the non-numeric fifth field"
# The disc is unmapped again afterwards; only C: stays.
[ "$(ls "$work/prefix/dosdevices")" = "c:" ] || fail "the disc drive was left mapped"

# The check's report in $check and its exit status in $status.
run_check() {
    set +e
    check="$("$tool" catalogue check "$disc")"
    status=$?
    set -e
}
run_check
[ $status -eq 1 ] || fail "check exits 1 on errors (got $status)"
grep -q '\[Demo1\] ReadmeName' <<< "$check" || fail "missing readme reported: $check"
grep -q '\[Demo1\] GameName' <<< "$check" || fail "missing program reported: $check"
grep -q '\[Demo1\] Picture' <<< "$check" || fail "missing small picture reported: $check"
grep -q '\[Demo2\] InstallType' <<< "$check" || fail "unknown install type reported: $check"
grep -q '\[Updates\] Update2' <<< "$check" || fail "odd update reported: $check"
if grep -q 'Update1' <<< "$check"; then fail "a good update was reported: $check"; fi
if grep -q '\[Main\] Extra is 1' <<< "$check"; then fail "an Extra2 item taken for an Extra item: $check"; fi
grep -q '\[Extra22\].*Extra2 is 1' <<< "$check" || fail "Extra22 beyond Extra2's count reported: $check"

lines="$("$tool" status --prefix "$work/prefix" "$disc")"
[ "$(grep -c '"Category":1,' <<< "$lines")" -eq 2 ] || fail "one line per demo: $lines"
head -1 <<< "$lines" | grep -q '"CanRun":1' || fail "a disc demo with a program can run: $lines"

if "$tool" catalogue dump --prefix "$work/prefix" "$work/nothing" 2>/dev/null; then fail "a missing disc folder must fail"; fi
echo "torvatool catalogue: all checks passed"

# Files that are no catalogue at all are errors, not "0 findings".
printf '\r\n' > "$work/empty.ini"
printf '\x7fELF\x02\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x3e\x00' > "$work/binary.ini"
printf '\xff\xfe[\x00M\x00a\x00i\x00n\x00]\x00\r\x00\n\x00C\x00D\x00=\x001\x00\r\x00\n\x00' > "$work/utf16.ini"
printf 'no section anywhere\r\n' > "$work/nosection.ini"
for broken in empty binary utf16 nosection; do
    cp "$work/$broken.ini" "$disc/Torva/torvaxp.ini"
    run_check
    [ $status -eq 1 ] || fail "check exits 1 on a $broken file (got $status): $check"
    grep -q 'error: .*not a catalogue' <<< "$check" || fail "$broken file reported: $check"
done
# Odd but legal: LF or CR line ends and an end-of-file mark still make a catalogue.
for legal in '[Main]\nCD=0206\nDemos=0\n\x1a' '[Main]\rCD=0206\rDemos=0\r'; do
    printf "$legal" > "$disc/Torva/torvaxp.ini"
    run_check
    if grep -q 'not a catalogue' <<< "$check"; then fail "a legal catalogue was refused: $check"; fi
done
