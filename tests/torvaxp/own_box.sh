#!/bin/sh
# An image that is no cover disc, opened on a virtual display without a window manager: the
# program's own box says so (its pixels are the golden box/czech_quotes, which SdlWindowTest
# compares on the screen), and Escape closes it and ends the program.
#   own_box.sh TORVAXP WORKDIR
# Exits 77 (skipped) when the virtual display, the input tool or a mastering tool is missing.
set -eu
torvaxp=$1
work=$2

. "$(dirname "$0")/desktop_session.sh"

if [ "${3:-}" != inside ]; then
    prepare_display_run
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$torvaxp" "$work" inside
fi
export HOME="$work/home" XDG_CACHE_HOME="$work/home/cache" XDG_DATA_HOME="$work/home/data"
make_nodisc_image "$work"

start_menu "$work/nodisc.iso"
# SDL's own box comes from a child process and names no process; this one is the program's.
expect_class "$window" "the box"
[ "$(xdotool getwindowname "$window")" = "Torva CD v2" ] || fail "the box is titled $(xdotool getwindowname "$window")"
xdotool key Escape
status=0
wait_for_end 2000 || fail "Escape did not close the box within 2 s"
wait "$menu" || status=$?
menu=""
[ "$status" = 1 ] || fail "the program ended with $status, not 1"
grep -q 'chybí katalog' "$work/menu.log" || fail "the terminal did not hear why: $(cat "$work/menu.log")"
echo "ok: the program's own box says the image is no disc, and Escape closes it"
