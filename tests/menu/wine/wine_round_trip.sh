#!/usr/bin/env bash
# The sample disc's Windows items through the real menu, headless, and real Wine: install, run,
# uninstall, on a prefix of the given kind made afresh in WORK:
#   menu        the prefix the menu makes on first use (Wine sets it up at its first start)
#   wineboot64  a 64-bit prefix made by wineboot (32-bit setups register under Wow6432Node)
# Skips (status 77) where Wine or the disc's Windows items are missing.
# usage: wine_round_trip.sh TORVAXP SCRIPTS_DIR SAMPLE_DISC WORK menu|wineboot64
set -euo pipefail
torvaxp=$1 scripts=$2 disc=$3 work=$4 kind=$5

skip() { echo "SKIP: $*"; exit 77; }
command -v wine > /dev/null && command -v wineserver > /dev/null \
  || skip "wine is not installed (scripts/install-deps installs it)"
[ -f "$disc/DEMOS/ZAHRADA/SETUP.EXE" ] \
  || skip "the sample disc has no Windows items: makensis, wixl or i686-w64-mingw32-gcc was missing when it was built"

rm -rf "$work"
mkdir -p "$work/home"
prefix=$work/prefix
# Wine links the profile's folders to the home folder, which is the test's own. The menu keeps
# Wine's menu builder and debug output off by itself; the desktop's menu folders must stay empty.
# No display is needed: nothing here opens a window.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export WINEDLLOVERRIDES="mscoree=d;mshtml=d"
unset DISPLAY WAYLAND_DISPLAY WINEPREFIX WINEARCH WINEDEBUG TORVA_WINE_MENUS
trap 'WINEPREFIX="$prefix" wineserver -k > /dev/null 2>&1 || true' EXIT

fail() { echo "FAIL: $*"; exit 1; }
expect_file() { [ -e "$prefix/drive_c/$1" ] || fail "missing: C:/$1"; }
expect_gone() { [ ! -e "$prefix/drive_c/$1" ] || fail "still there: C:/$1"; }
# The game writes the folder it was started in: its own.
expect_trace() {
  expect_file "$1/HRA.TXT"
  local ran expected="C:\\$2"
  ran=$(tr -d '\r' < "$prefix/drive_c/$1/HRA.TXT")
  [ "${ran,,}" = "${expected,,}" ] || fail "$1/HRA.TXT names $ran, not $expected"
}
machine_reg_has() { grep -q "$1" "$prefix/system.reg"; }
expect_no_desktop_entries() {
  local made
  made=$(find "$HOME/.local/share/applications" "$HOME/.config/menus" -type f 2>/dev/null | head -n 3 || true)
  [ -z "$made" ] || fail "Wine made desktop entries $1: $made"
}

start=$SECONDS
if [ "$kind" = wineboot64 ]; then
  WINEARCH=win64 WINEPREFIX="$prefix" WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d" wineboot -i > /dev/null 2>&1
  WINEPREFIX="$prefix" wineserver -w
  echo "wineboot made the 64-bit prefix in $((SECONDS - start)) s"
fi
files="Program Files"
[ -d "$prefix/drive_c/Program Files (x86)" ] && files="Program Files (x86)"

"$torvaxp" --prefix "$prefix" --headless --script "$scripts/wine_install.script"
echo "installed after $((SECONDS - start)) s"
expect_no_desktop_entries "while installing"
# Debian's Wine runs 32-bit prefixes, so the menu's new prefix is one.
[ "$kind" != menu ] || machine_reg_has '^#arch=win32' || fail "the menu's new prefix is not 32-bit"
"$torvaxp" --prefix "$prefix" --headless --script "$scripts/wine_run.script"
WINEPREFIX="$prefix" wineserver -w
echo "ran after $((SECONDS - start)) s"
expect_no_desktop_entries "while running the games"
[ -d "$prefix/drive_c/Program Files (x86)" ] && files="Program Files (x86)"
expect_trace "Hry/Flotila" 'Hry\Flotila'
expect_trace "Hry/Pevnost" 'Hry\Pevnost'
expect_trace "$files/Torva Samples/Lode" "${files}\\Torva Samples\\Lode"
expect_trace "Hry/Zahrada" 'Hry\Zahrada'
expect_file "windows/ZAHRADA.INI"
machine_reg_has 'Uninstall\\\\Zahrada\]' || fail "the old setup did not register its uninstaller"
[ -n "$(find "$prefix/drive_c/users" -name Flotila.lnk)" ] || fail "no Start-menu shortcut of Flotila"

"$torvaxp" --prefix "$prefix" --headless --script "$scripts/wine_uninstall.script"
WINEPREFIX="$prefix" wineserver -w
echo "uninstalled after $((SECONDS - start)) s"
expect_gone "Hry/Flotila"
expect_gone "Hry/Pevnost"
expect_gone "$files/Torva Samples/Lode"
expect_gone "Hry/Zahrada"
# What the old uninstaller leaves, the catalogue's clean-up removes.
expect_gone "windows/ZAHRADA.INI"
! machine_reg_has 'Uninstall\\\\Zahrada\]' || fail "the clean-up left the Uninstall key of Zahrada"
[ -z "$(find "$prefix/drive_c" -name Flotila.lnk -o -name Pevnost.lnk)" ] || fail "a shortcut is left"
! grep -qi "^SierraDir=" "$prefix/drive_c/windows/sierra.ini" || fail "sierra.ini still names the game's folder"
echo "round trip on the $kind prefix: $((SECONDS - start)) s"
