#!/bin/sh
# The menu in a real window on a virtual display: dragged by its background without a window
# manager and with one, and shown at twice its size with the pointer, the outline and the
# screenshot in step; a missing disc is reported in a message box.
#   desktop_window.sh TORVAXP WORKDIR
# Exits 77 (skipped) when the virtual display or the input tool is missing.
set -eu
torvaxp=$1
work=$2

. "$(dirname "$0")/desktop_session.sh"

if [ "${3:-}" != inside ]; then
    prepare_display_run
    exec xvfb-run -a -s "-screen 0 1920x1600x24" "$0" "$torvaxp" "$work" inside
fi

# Drags the window by a point of its background and checks that it moved with the pointer.
drag_check() {
    set -- $(geometry)
    x=$1 y=$2
    # A point of the screen's background, below the description (form units).
    bx=$((x + 385 * scale)) by=$((y + 623 * scale))
    xdotool mousemove "$bx" "$by"
    sleep 0.2
    xdotool mousedown 1
    for step in 1 2 3 4 5 6 7 8 9 10; do
        xdotool mousemove "$((bx + step * 10))" "$((by + step * 5))"
        sleep 0.05
    done
    sleep 0.3
    xdotool mouseup 1
    sleep 0.5
    set -- $(geometry)
    dx=$(($1 - x)) dy=$(($2 - y))
    # A window manager takes the pointer over from the first motion on, so the window may lag
    # the pointer by that step.
    [ "$dx" -ge 80 ] && [ "$dx" -le 105 ] && [ "$dy" -ge 40 ] && [ "$dy" -le 55 ] \
        || fail "$label: dragged by (100, 50), the window moved by ($dx, $dy)"
    echo "ok: $label: dragged by ($dx, $dy)"
}

scale=1
label="without a window manager"
start_menu --scale 1
expect_class "$window" "the menu's window"
drag_check
stop_menu

if command -v openbox >/dev/null 2>&1; then
    openbox >/dev/null 2>&1 &
    manager=$!
    sleep 1
    label="with a window manager"
    start_menu --scale 1
    drag_check
    stop_menu
    kill "$manager" 2>/dev/null || true
    wait "$manager" 2>/dev/null || true
else
    echo "note: openbox is not installed; the drag through a window manager is not tried"
fi

# Twice the size: the window is 1632 x 1480, the screenshot 816 x 740, and a click on the quit
# button (form 173, 624) ends the menu.
scale=2
start_menu --scale 2 --screenshot "$work/scaled.png" --settle 3000
set -- $(geometry)
[ "$3" = 1632 ] && [ "$4" = 1480 ] || fail "at scale 2 the window is $3 x $4"
wait "$menu" || fail "the screenshot run failed: $(cat "$work/menu.log")"
menu=""
python3 - "$work/scaled.png" <<'PY' || fail "the screenshot is not at the form's size"
import struct, sys
with open(sys.argv[1], 'rb') as f:
    header = f.read(24)
width, height = struct.unpack('>II', header[16:24])
print(f"ok: screenshot at scale 2 is {width} x {height}")
sys.exit(0 if (width, height) == (816, 740) else 1)
PY
start_menu --scale 2
set -- $(geometry)
click_quit "$1" "$2" 2 "at scale 2"

# A disc that cannot be opened: on a display the menu says so in its own box, which waits for
# the user, and names the disc; no menu window opens and no prefix is made. A missing disc is a
# foreseen failure; an image that is a loop of links fails where nothing foresaw it.
#   expect_box WHAT DISC
expect_box() {
    "$torvaxp" --prefix "$work/prefix-$1" --disc "$2" >"$work/$1.log" 2>&1 &
    menu=$!
    box=$(visible_window 100 --name "")
    [ -n "$box" ] || fail "no message box for $1: $(cat "$work/$1.log")"
    sleep 1
    # No menu window opens here, so the one window of the program's class is the box.
    classed=$(visible_window 20 --classname '^torvaxp$')
    kill -0 "$menu" 2>/dev/null || fail "the menu ended without waiting at the box for $1"
    # The box holds the menu until it is answered; nobody answers it here.
    pkill -KILL -P "$menu" 2>/dev/null || true
    kill -KILL "$menu" 2>/dev/null || true
    wait "$menu" 2>/dev/null || true
    menu=""
    [ -n "$classed" ] || fail "the box for $1, shown before the menu's window, has no class torvaxp"
    grep -q "$(basename "$2")" "$work/$1.log" || fail "the message does not name the disc: $(cat "$work/$1.log")"
    [ ! -e "$work/prefix-$1" ] || fail "$1 made a prefix"
    echo "ok: $1 is named in a message box"
}
expect_box nodisc "$work/no-such-disc"
ln -s looped.iso "$work/looped.iso"
expect_box looped "$work/looped.iso"
