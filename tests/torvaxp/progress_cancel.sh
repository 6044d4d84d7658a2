#!/bin/sh
# The first opening of a large image on a virtual display without a window manager: the
# progress window of the program's own shows (drawn as the golden box/progress shows), and its
# Cancel button, clicked or pressed with Escape, stops the unpacking with nothing left in the
# image cache; the program then says so in a box and ends as a failed unpacking does.
#   progress_cancel.sh TORVAXP SAMPLE_DISC WORKDIR
# Exits 77 (skipped) when the virtual display, the input tool or a mastering tool is missing.
set -eu
torvaxp=$1
sample=$2
work=$3

. "$(dirname "$0")/desktop_session.sh"

if [ "${4:-}" != inside ]; then
    prepare_display_run
    status=0
    xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$torvaxp" "$sample" "$work" inside || status=$?
    rm -f "$work/large.iso"
    exit "$status"
fi
export HOME="$work/home" XDG_CACHE_HOME="$work/home/cache" XDG_DATA_HOME="$work/home/data"

# A cover disc's catalogue and a gigabyte of film: long enough to unpack for a look at it.
mkdir -p "$work/large/Torva"
cp "$sample/Torva/torvaxp.ini" "$work/large/Torva/"
truncate -s 1G "$work/large/FILM.AVI"
make_image "$work/large" "$work/large.iso"

# Starts the opening and waits for the progress window; the program is stopped there, so the
# input below reaches it before the unpacking could end.
open_and_hold() {
    rm -rf "$XDG_CACHE_HOME"
    # A menu given its own path looks for the disc on every drive, so the image is unpacked
    # whole before the menu shows (an image opened otherwise is first browsed).
    "$torvaxp" --prefix "$work/prefix" --own-path 'D:\TORVA.EXE' "$work/large.iso" >"$work/menu.log" 2>&1 &
    menu=$!
    window=$(visible_window 100 --pid "$menu")
    [ -n "$window" ] || fail "no progress window showed: $(cat "$work/menu.log")"
    kill -STOP "$menu"
    [ "$(xdotool getwindowname "$window")" = "Torva CD v2 - rozbaluji obraz disku" ] || fail "the window is $(xdotool getwindowname "$window")"
}

# Lets the program go on and checks that it stopped the unpacking:  expect_cancelled WHAT
expect_cancelled() {
    kill -CONT "$menu"
    box=""
    for _ in $(seq 50); do
        box=$(xdotool search --onlyvisible --pid "$menu" 2>/dev/null | grep -v "^$window\$" | head -n 1 || true)
        [ -z "$box" ] || break
        sleep 0.1
    done
    [ -n "$box" ] || fail "$1 showed no box after: $(tr '\r' '\n' < "$work/menu.log")"
    grep -q 'bylo zrušeno' "$work/menu.log" || fail "$1 did not cancel: $(tr '\r' '\n' < "$work/menu.log")"
    xdotool key Escape
    wait_for_end 2000 || fail "the box after $1 did not close"
    status=0
    wait "$menu" || status=$?
    menu=""
    [ "$status" = 1 ] || fail "the program ended with $status after $1"
    left=$(find "$XDG_CACHE_HOME/torva/images" -mindepth 1 ! -name cache.lock | head -n 1)
    [ -z "$left" ] || fail "$1 left $left in the image cache"
    echo "ok: $1 stops the unpacking and leaves nothing in the cache"
}

open_and_hold
xdotool key Escape
expect_cancelled "Escape"

open_and_hold
eval "$(xdotool getwindowgeometry --shell "$window")"
# The button stands at the window's bottom right, 22 pixels in from the side and 18 from the bottom.
xdotool mousemove $((X + WIDTH - 22 - 20)) $((Y + HEIGHT - 18 - 10))
xdotool click 1
expect_cancelled "a click on Cancel"
