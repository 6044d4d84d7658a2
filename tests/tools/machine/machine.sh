#!/usr/bin/env bash
# torvatool ini, path, reg and text against a machine made here.
set -euo pipefail
tool="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
prefix="$work/prefix"
fail() { echo "FAIL: $*" >&2; exit 1; }
expect_exit() { # expect_exit STATUS COMMAND...: the command's output, failing on another status
  local want=$1; shift
  set +e; output="$("$@" 2>&1)"; local got=$?; set -e
  [ "$got" -eq "$want" ] || fail "$* exited $got, not $want: $output"
}

# ini: values go in as UTF-8 and are stored in code page 1250 ("ř" is \xF8).
"$tool" ini set state.ini CD0206 "Pařba" 'C:\Hry\Pařba\'
grep -q $'^Pa\xf8ba=C:\\\\Hry\\\\Pa\xf8ba\\\\\r$' state.ini || fail "stored bytes: $(od -c state.ini | head)"
[ "$("$tool" ini get state.ini cd0206 PAŘBA)" = 'C:\Hry\Pařba\' ] || fail "read back without regard to a-z case"
[ "$("$tool" ini get state.ini CD0206 Missing "výchozí")" = "výchozí" ] || fail "default"
expect_exit 1 "$tool" ini get state.ini CD0206 Missing
grep -q "no key Missing" <<< "$output" || fail "missing key message: $output"
"$tool" ini set state.ini Main Slow 1
[ "$("$tool" ini sections state.ini)" = "$(printf 'CD0206\nMain')" ] || fail "sections in file order"
"$tool" ini delete state.ini CD0206
[ "$("$tool" ini sections state.ini)" = "Main" ] || fail "section deleted"
expect_exit 1 "$tool" ini get nosuch.ini Main Slow
grep -q "no such file nosuch.ini" <<< "$output" || fail "missing file named: $output"
expect_exit 1 "$tool" ini set state.ini Main Bad "$(printf 'a\nb')"
expect_exit 1 "$tool" ini frobnicate state.ini

# path: Windows paths through the prefix's drives, names matched without regard to case, and
# nothing outside the drives.
"$tool" reg query --prefix "$prefix" 'HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' Desktop > /dev/null
mkdir -p "$prefix/drive_c/Hry/Rally"
touch "$prefix/drive_c/Hry/Rally/GAME.EXE"
[ "$("$tool" path --prefix "$prefix" 'c:\hry\RALLY\game.exe')" = "$prefix/drive_c/Hry/Rally/GAME.EXE" ] || fail "case-insensitive resolution"
[ "$("$tool" path --prefix "$prefix" 'C:\Hry\..\Hry\Rally')" = "$prefix/drive_c/Hry/Rally" ] || fail "dot-dot inside the drive"
expect_exit 1 "$tool" path --prefix "$prefix" 'C:\..\..\..\etc\passwd'
[ "$output" = "not found" ] || fail "escape above the drive root: $output"
expect_exit 1 "$tool" path --prefix "$prefix" 'Q:\x'

# reg: set, query, delete in the prefix's hive files.
key='HKEY_LOCAL_MACHINE\Software\Firma\Hra'
"$tool" reg set --prefix "$prefix" "$key" Path 'C:\Hry\Hra'
[ "$("$tool" reg query --prefix "$prefix" "$key" Path)" = 'C:\Hry\Hra' ] || fail "value read back"
"$tool" reg query --prefix "$prefix" "$key" | grep -qx 'Path=C:\\Hry\\Hra' || fail "key listing"
grep -q 'Firma' "$prefix/system.reg" || fail "written to system.reg"
"$tool" reg delete --prefix "$prefix" "$key"
expect_exit 1 "$tool" reg query --prefix "$prefix" "$key"
grep -q "no such key" <<< "$output" || fail "deleted key: $output"

# text: code page 1250 and back, byte for byte.
printf 'P\xf8\xedli\x9a \x9elu\x9dou\xe8k\xfd k\xf9\xf2' > cp.txt
[ "$("$tool" text to-utf8 cp.txt)" = "Příliš žluťoučký kůň" ] || fail "to UTF-8"
"$tool" text to-utf8 cp.txt > utf8.txt
"$tool" text from-utf8 utf8.txt > back.txt
cmp -s cp.txt back.txt || fail "round trip"
echo "machine tools: ok"
