#!/bin/sh
# The last shelf remembered in the prefix: --shelf alone with nothing remembered says what to
# give; folders given are remembered; --shelf alone opens them again, naming one gone since.
#   shelf_remembered.sh TORVAXP SHELF SCRIPT WORKDIR
set -eu
torvaxp=$1
shelf=$2
script=$3
work=$4
rm -rf "$work"
mkdir -p "$work/gone"
fail() { echo "FAIL: $*" >&2; exit 1; }
run() { XDG_CACHE_HOME="$work/cache" "$torvaxp" --prefix "$work/prefix" --headless --script "$script" "$@" 2>"$work/err"; }

if run --shelf; then fail "--shelf opened with nothing remembered"; fi
grep -q -- "--shelf FOLDER" "$work/err" || fail "no hint of what to give: $(cat "$work/err")"
echo "ok: nothing remembered says to give the folders"

run --shelf "$shelf" "$work/gone" || fail "the shelf did not open: $(cat "$work/err")"
rmdir "$work/gone"
run --shelf || fail "the remembered shelf did not open: $(cat "$work/err")"
grep -q "'$work/gone' is missing" "$work/err" || fail "the folder gone was not named: $(cat "$work/err")"
echo "ok: the remembered shelf opens without the folder gone"
