#!/bin/sh
# SIGTERM, as the desktop sends it at logout, while a box waits for an answer: before the menu
# (an image that is no disc) and in the menu (a film no program on the desktop opens); and
# while the menu waits for a program it runs (the chess demo, which shows its window for 4 s).
# The program ends within 2 s, the program it waited for runs on, and the state file stays
# whole: nothing half-written beside it.
#   terminate_during_box.sh TORVAXP TORVATOOL WORKDIR
# Exits 77 (skipped) when the virtual display, the input tool or a mastering tool is missing.
set -eu
torvaxp=$1
torvatool=$2
work=$3

. "$(dirname "$0")/desktop_session.sh"

if [ "${4:-}" != inside ]; then
    prepare_display_run
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$torvaxp" "$torvatool" "$work" inside
fi
export HOME="$work/home" XDG_CACHE_HOME="$work/home/cache" XDG_DATA_HOME="$work/home/data"
make_nodisc_image "$work"

# Sends SIGTERM and fails unless the menu is gone within 2 s:  terminate WHAT
terminate() {
    kill -TERM "$menu"
    wait_for_end 2000 || fail "the program still ran 2 s after SIGTERM $1"
    menu=""
    echo "ok: SIGTERM $1 ends the program"
}

start_menu "$work/nodisc.iso"
terminate "during the box before the menu"

# Without the desktop's opener (this run's PATH has none) the third page's film gets a box.
mkdir -p "$work/no-tools"
printf '#!/bin/sh\nPATH=%s exec %s "$@"\n' "$work/no-tools" "$torvaxp" > "$work/menu-without-tools"
chmod +x "$work/menu-without-tools"
torvaxp="$work/menu-without-tools"
start_menu
xdotool windowfocus "$window"
for key in Tab Tab Tab; do
    xdotool key "$key"
    sleep 0.3
done
xdotool key Return
box=""
for _ in $(seq 50); do
    box=$(xdotool search --onlyvisible --pid "$menu" 2>/dev/null | grep -v "^$window\$" | head -n 1 || true)
    [ -z "$box" ] || break
    sleep 0.1
done
[ -n "$box" ] || fail "no box showed over the menu: $(cat "$work/menu.log")"
terminate "during a box in the menu"

# The chess demo, the first page's eleventh entry, runs from the disc and is waited for.
start_menu
xdotool windowfocus "$window"
for _ in $(seq 10); do
    xdotool key Down
    sleep 0.1
done
xdotool key Return
game=""
for _ in $(seq 50); do
    game=$(pgrep -P "$menu" -f SACHY.EXE || true)
    [ -z "$game" ] || break
    sleep 0.1
done
[ -n "$game" ] || fail "the chess demo did not start: $(cat "$work/menu.log")"
terminate "while the menu waits for a program"
kill -0 "$game" 2>/dev/null || fail "the program the menu waited for ended with it"
kill "$game"

state="$work/prefix/drive_c/windows/torva.ini"
[ -f "$state" ] || fail "the state file is missing"
leftovers=$(find "$work/prefix/drive_c/windows" -maxdepth 1 -name '*.tmp*' | head -n 1)
[ -z "$leftovers" ] || fail "a half-written file stayed beside the state file: $leftovers"
[ "$("$torvatool" ini get "$state" Main Language)" = 1 ] || fail "the state file does not read back: $(cat "$state")"
echo "ok: the state file is whole"
