#!/bin/sh
# The first action on a disc image the cache does not hold whole waits on a virtual display for
# the image to unpack: the menu's help line shows how far it got, Escape cancels, and the menu
# goes on browsing with nothing of the whole image in the cache.
#   unpacking_window.sh TORVAXP SAMPLE_DISC WORKDIR
# Exits 77 (skipped) when the virtual display, the input tool, xwd or genisoimage is missing.
set -eu
torvaxp=$1 disc=$(cd "$2" && pwd) work=$3

. "$(dirname "$0")/desktop_session.sh"

if [ "${4:-}" != inside ]; then
    prepare_display_run
    for tool in xwd genisoimage; do
        command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool is not installed"; exit 77; }
    done
    # The sample disc with a sparse padding file, so that unpacking it lasts a few seconds.
    mkdir -p "$work/tree"
    for item in "$disc"/*; do ln -s "$item" "$work/tree/"; done
    truncate -s 1500M "$work/tree/PADDING.BIN"
    genisoimage -quiet -f -J -R -V 'Torva CD v2' -o "$work/large.iso" "$work/tree"
    status=0
    xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$torvaxp" "$disc" "$work" inside || status=$?
    rm -f "$work/large.iso"
    exit $status
fi

export XDG_CACHE_HOME="$work/cache"
images="$work/cache/torva/images"

# A digest of the help line's pixels (the form's 405, 252, 113 x 13 at factor 1).
help_line() {
    xwd -silent -id "$window" | python3 -c '
import hashlib, struct, sys
data = sys.stdin.buffer.read()
fields = struct.unpack(">25I", data[:100])
header, bits, stride, colours = fields[0], fields[11], fields[12], fields[19]
pixels, step = header + colours * 12, bits // 8
digest = hashlib.sha1()
for y in range(252, 265):
    start = pixels + y * stride + 405 * step
    digest.update(data[start:start + 113 * step])
print(digest.hexdigest())'
}

start_menu "$work/large.iso" --scale 1
set -- $(geometry)
x=$1 y=$2
# The pointer rests on the window's top edge, where nothing changes the help line.
xdotool mousemove "$((x + 400))" "$((y + 5))"
sleep 0.5
before=$(help_line)
[ "$(ls "$images" | grep -c '\.entry$')" = 1 ] || fail "browsing made other entries than its own: $(ls "$images")"

# Enter installs the first demo, which needs the whole disc.
xdotool key Return
shown=""
for _ in $(seq 100); do
    if [ "$(help_line)" != "$before" ]; then
        shown=yes
        break
    fi
    sleep 0.05
done
[ -n "$shown" ] || fail "the help line did not change while the image unpacked"
echo "ok: the help line shows the unpacking"

xdotool key Escape
for _ in $(seq 100); do
    ls -A "$images" | grep -q '^\.partial-' || break
    sleep 0.1
done
kill -0 "$menu" 2>/dev/null || fail "the menu ended: $(cat "$work/menu.log")"
leftover=$(ls -A "$images" | grep -v -e '-browse' -e '^cache\.lock$' || true)
[ -z "$leftover" ] || fail "the cancelled unpacking left $leftover"
grep -q "installing" "$work/menu.log" && fail "the install ran although cancelled"
echo "ok: Escape cancels, and only the browsing entry stays"

click_quit "$x" "$y" 1 "after a cancelled unpacking"
