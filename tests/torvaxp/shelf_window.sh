#!/bin/sh
# The shelf's window on a virtual display, once round: a typed query, End and Enter open the
# last hit's disc in the menu's window, Escape there brings the shelf back with its query, and
# the screenshot the run ends with shows the shelf as it was left.
#   shelf_window.sh TORVAXP SHELF WORKDIR
# Exits 77 (skipped) when the virtual display or the input tool is missing.
set -eu
torvaxp=$1
shelf=$2
work=$3

. "$(dirname "$0")/desktop_session.sh"

if [ "${4:-}" != inside ]; then
    prepare_display_run
    exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$torvaxp" "$shelf" "$work" inside
fi

XDG_CACHE_HOME="$work/cache" "$torvaxp" --shelf "$shelf" --prefix "$work/prefix" --scale 1 \
    --screenshot "$work/shelf.png" --settle 20000 >"$work/shelf.log" 2>&1 &
menu=$!
window=$(visible_window 300 --pid "$menu")
[ -n "$window" ] || fail "the shelf's window did not show: $(cat "$work/shelf.log")"
sleep 2
set -- $(geometry)
xdotool mousemove "$(($1 + 300))" "$(($2 + 20))"
xdotool type --delay 30 "hvezdny pristav"
xdotool key End Return

# The menu's window takes the shelf's place.
for _ in $(seq 200); do
    shown=$(xdotool search --onlyvisible --pid "$menu" 2>/dev/null | head -n 1 || true)
    [ -n "$shown" ] && [ "$shown" != "$window" ] && break
    sleep 0.1
done
[ -n "$shown" ] && [ "$shown" != "$window" ] || fail "no disc's menu opened: $(cat "$work/shelf.log")"
echo "ok: Enter on the hit opens the disc's menu"
sleep 2
window=$shown
set -- $(geometry)
xdotool mousemove "$(($1 + 400))" "$(($2 + 300))"
xdotool key Escape

for _ in $(seq 100); do
    back=$(xdotool search --onlyvisible --pid "$menu" 2>/dev/null | head -n 1 || true)
    [ -n "$back" ] && [ "$back" != "$window" ] && break
    sleep 0.1
done
[ -n "$back" ] && [ "$back" != "$window" ] || fail "Escape in the menu did not bring the shelf back"
echo "ok: Escape in the menu returns to the shelf"

# The run ends once its screenshot is taken.
for _ in $(seq 300); do
    kill -0 "$menu" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$menu" 2>/dev/null && fail "the shelf did not end after its screenshot"
menu=""
[ -s "$work/shelf.png" ] || fail "no screenshot: $(cat "$work/shelf.log")"
echo "ok: the screenshot is taken"
