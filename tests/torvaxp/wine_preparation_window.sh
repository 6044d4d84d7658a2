#!/bin/sh
# The menu on a virtual display sets a new prefix up through real Wine in the background: no
# window but the menu's shows meanwhile, and the prefix is set up for all that.
#   wine_preparation_window.sh TORVAXP SAMPLE_DISC WORKDIR
# Exits 77 (skipped) when Wine, the virtual display, the input tool or the disc's Windows
# setups are missing.
set -eu
torvaxp=$1 disc=$2 work=$3

if [ "${4:-}" != inside ]; then
    for tool in wine wineserver xvfb-run xdotool; do
        command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool is not installed"; exit 77; }
    done
    [ -f "$disc/DEMOS/ZAHRADA/SETUP.EXE" ] || { echo "SKIP: the sample disc has no Windows setups"; exit 77; }
    rm -rf "$work"
    mkdir -p "$work/home"
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$torvaxp" "$disc" "$work" inside
fi

fail() { echo "FAIL: $*"; exit 1; }
prefix=$work/prefix
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share XDG_CACHE_HOME=$work/home/.cache
unset WINEPREFIX WINEARCH WINEDEBUG WINEDLLOVERRIDES
menu=""
finish() {
    [ -z "$menu" ] || { kill "$menu" 2>/dev/null || true; wait "$menu" 2>/dev/null || true; }
    WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
}
trap finish EXIT

"$torvaxp" --disc "$disc" --prefix "$prefix" >"$work/menu.log" 2>&1 &
menu=$!
start=$(date +%s)
server=""
# Every visible window, until Wine has set the prefix up and its server has ended.
while :; do
    # Wine's windows carry their process and a class named after their program (".exe"); a
    # window that has no process yet is the menu's before it says whose it is.
    for window in $(xdotool search --onlyvisible --name '' 2>/dev/null || true); do
        owner=$(xdotool getwindowpid "$window" 2>/dev/null || echo "$menu")
        [ "$owner" = "$menu" ] || fail "window $window ($(xdotool getwindowname "$window" 2>/dev/null)) of $owner showed"
    done
    wine_window=$(xdotool search --onlyvisible --class '[.]exe' 2>/dev/null | head -n 1 || true)
    [ -z "$wine_window" ] || fail "Wine's window $wine_window ($(xdotool getwindowname "$wine_window" 2>/dev/null)) showed"
    if [ -z "$server" ] && [ -e "$prefix/.update-timestamp" ]; then
        WINEPREFIX="$prefix" wineserver -w &
        server=$!
    fi
    if [ -n "$server" ] && ! kill -0 "$server" 2>/dev/null; then
        break
    fi
    [ $(($(date +%s) - start)) -lt 300 ] || fail "Wine did not set the prefix up within 300 s: $(cat "$work/menu.log")"
    sleep 0.2
done
kill -0 "$menu" 2>/dev/null || fail "the menu ended: $(cat "$work/menu.log")"
[ -f "$prefix/drive_c/windows/system32/kernel32.dll" ] || fail "the prefix has no kernel32.dll"
grep -q '^#arch=win32' "$prefix/system.reg" || fail "the prefix is not 32-bit"
echo "ok: Wine set the prefix up in $(($(date +%s) - start)) s without a window of its own"
