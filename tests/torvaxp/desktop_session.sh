# What the desktop tests of the menu share: starting the menu and finding its window on the
# virtual display. Sourced with $torvaxp and $work set.

# Exits 77 (skipped) unless the virtual display and the input tools are installed, and starts
# the work folder afresh.
prepare_display_run() {
    for tool in xvfb-run xdotool xprop python3; do
        if ! command -v "$tool" >/dev/null 2>&1; then
            echo "SKIP: $tool is not installed"
            exit 77
        fi
    done
    rm -rf "$work"
    mkdir -p "$work"
}

fail() {
    echo "FAIL: $*"
    exit 1
}

menu=""
stop_menu() {
    if [ -n "$menu" ]; then
        kill "$menu" 2>/dev/null || true
        wait "$menu" 2>/dev/null || true
    fi
    menu=""
}
trap stop_menu EXIT

# Prints the first visible window that `xdotool search --onlyvisible ARGS` finds within TENTHS
# tenths of a second, nothing when none shows:  visible_window TENTHS ARGS...
visible_window() {
    tenths=$1
    shift
    for _ in $(seq "$tenths"); do
        found=$(xdotool search --onlyvisible "$@" 2>/dev/null | head -n 1 || true)
        if [ -n "$found" ]; then
            echo "$found"
            return
        fi
        sleep 0.1
    done
}

# Starts the menu and waits until its window shows; sets $menu and $window.
start_menu() {
    "$torvaxp" --prefix "$work/prefix" "$@" >"$work/menu.log" 2>&1 &
    menu=$!
    window=$(visible_window 200 --pid "$menu")
    [ -n "$window" ] || fail "the menu's window did not show: $(cat "$work/menu.log")"
    sleep 1
}

# Waits up to MS milliseconds for the menu to end; false when it still runs:  wait_for_end MS
wait_for_end() {
    start=$(date +%s%N)
    while kill -0 "$menu" 2>/dev/null; do
        [ $((($(date +%s%N) - start) / 1000000)) -lt "$1" ] || return 1
        sleep 0.05
    done
}

# Makes an ISO image of FOLDER with a mastering tool's defaults (Joliet and Rock Ridge names);
# exits 77 (skipped) without one:  make_image FOLDER IMAGE
make_image() {
    if command -v xorriso >/dev/null 2>&1; then
        xorriso -as mkisofs -quiet -J -R -o "$2" "$1" 2>/dev/null
    elif command -v genisoimage >/dev/null 2>&1; then
        genisoimage -quiet -J -R -o "$2" "$1" 2>/dev/null
    else
        echo "SKIP: neither xorriso nor genisoimage is installed"
        exit 77
    fi
}

# Makes DIR/nodisc.iso, an image with a file but no disc catalogue:  make_nodisc_image DIR
make_nodisc_image() {
    mkdir -p "$1/nodisc/DATA"
    echo "no catalogue here" > "$1/nodisc/DATA/README.TXT"
    make_image "$1/nodisc" "$1/nodisc.iso"
}

# Prints "X Y W H" of the window.
# Clicks the quit button (the form's 173, 624) of a form standing at X, Y at factor SCALE and
# waits for the menu to end:  click_quit X Y SCALE WHAT
click_quit() {
    xdotool mousemove "$(($1 + 173 * $3))" "$(($2 + 624 * $3))"
    sleep 0.3
    xdotool click 1
    for _ in $(seq 50); do
        kill -0 "$menu" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$menu" 2>/dev/null && fail "a click on the quit button $4 did not end the menu"
    menu=""
    echo "ok: the quit button answers $4"
}

geometry() {
    eval "$(xdotool getwindowgeometry --shell "$window")"
    echo "$X $Y $WIDTH $HEIGHT"
}

# Fails unless WINDOW's WM_CLASS is the program's:  expect_class WINDOW WHAT
expect_class() {
    xprop -id "$1" WM_CLASS | grep -q '"torvaxp", "torvaxp"' || fail "$2 has the class: $(xprop -id "$1" WM_CLASS)"
    echo "ok: $2 carries the class torvaxp"
}
