#!/bin/sh
# The menu fullscreen on a virtual display of the handheld's size (1280 x 800: factor 1) and of
# a 4K screen (3840 x 2160: factor 2, as 740 rows fit only twice): the window covers the screen,
# the form stands centred on black, a click at a point of the form reaches its control, and F11
# goes back to the window at its place and forth again.
#   fullscreen_window.sh TORVAXP WORKDIR
# Exits 77 (skipped) when the virtual display or the input tool is missing.
set -eu
torvaxp=$1
work=$2

. "$(dirname "$0")/desktop_session.sh"

if [ "${3:-}" != inside ]; then
    prepare_display_run
    xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$torvaxp" "$work" inside 1280 800 1
    exec xvfb-run -a -s "-screen 0 3840x2160x24" "$0" "$torvaxp" "$work" inside 3840 2160 2
fi
width=$4 height=$5 scale=$6
ox=$(((width - 816 * scale) / 2)) oy=$(((height - 740 * scale) / 2))

# Waits until the window is W x H, wherever it stands, and prints the place it settles at:
#   place_once W H
place_once() {
    for _ in $(seq 50); do
        set -- "$1" "$2" $(geometry)
        [ "$5 $6" = "$1 $2" ] && break
        sleep 0.1
    done
    [ "$5 $6" = "$1 $2" ] || fail "the window is $5 x $6, not $1 x $2"
    sleep 0.3
    set -- "$1" "$2" $(geometry)
    echo "$3 $4"
}

# Waits until the window is W x H at X, Y:  expect_geometry X Y W H WHAT
expect_geometry() {
    for _ in $(seq 50); do
        [ "$(geometry)" = "$1 $2 $3 $4" ] && break
        sleep 0.1
    done
    [ "$(geometry)" = "$1 $2 $3 $4" ] || fail "$5: the window is at $(geometry), not $1 $2 $3 $4"
    echo "ok: $5: $3 x $4 at $1, $2"
}

start_menu --fullscreen --scale 1
expect_class "$window" "the fullscreen window"
expect_geometry 0 0 "$width" "$height" "fullscreen at ${width}x$height"
if [ "$scale" = 1 ]; then
    xdotool mousemove "$((ox + 400))" "$((oy + 5))"
    xdotool key F11
    # The window manager may place the window after it has its size: the place is read then.
    set -- $(place_once 816 740)
    expect_geometry "$1" "$2" 816 740 "F11 back to the window"
    [ "$1" != 0 ] || [ "$2" != 0 ] || fail "the window came back at the screen's corner"
    place="$1 $2"
    xdotool mousemove "$(($1 + 400))" "$(($2 + 5))"
    xdotool key F11
    expect_geometry 0 0 "$width" "$height" "F11 fullscreen again"
    xdotool key F11
    set -- $(place_once 816 740)
    [ "$1 $2" = "$place" ] || fail "the window came back at $1 $2, not at $place"
    xdotool key F11
    expect_geometry 0 0 "$width" "$height" "F11 fullscreen once more"
fi

click_quit "$ox" "$oy" "$scale" "fullscreen at factor $scale"

# The screenshot of a fullscreen run is the screen: black but for the form's rectangle, which
# the form's picture reaches on all four sides.
shot="$work/fullscreen-${width}x$height.png"
start_menu --fullscreen --screenshot "$shot" --settle 3000
wait "$menu" || fail "the screenshot run failed: $(cat "$work/menu.log")"
menu=""
python3 - "$shot" "$width" "$height" "$ox" "$oy" "$((816 * scale))" "$((740 * scale))" <<'PY' || fail "the form is not centred on black"
import struct, sys, zlib
path, width, height, ox, oy, fw, fh = sys.argv[1], *map(int, sys.argv[2:])
data = open(path, 'rb').read()
pos, idat = 8, b''
while pos < len(data):
    size, kind = struct.unpack('>I4s', data[pos:pos + 8])
    body = data[pos + 8:pos + 8 + size]
    if kind == b'IHDR':
        w, h, depth, colour = struct.unpack('>IIBB', body[:10])
    elif kind == b'IDAT':
        idat += body
    pos += 12 + size
assert (w, h, depth) == (width, height, 8), (w, h, depth)
bpp = {2: 3, 6: 4}[colour]
raw, stride = zlib.decompress(idat), w * bpp
left, top, right, bottom = w, h, 0, 0
prev = bytearray(stride)
for y in range(h):
    kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
    # A zero row after a black one decodes to black whatever its filter.
    for i in range(stride) if kind and (line.strip(b'\0') or prev.strip(b'\0')) else ():
        a = line[i - bpp] if i >= bpp else 0
        b, c = prev[i], prev[i - bpp] if i >= bpp else 0
        p = a + b - c
        pred = [0, a, b, (a + b) // 2, a if abs(p - a) <= abs(p - b) and abs(p - a) <= abs(p - c) else b if abs(p - b) <= abs(p - c) else c][kind]
        line[i] = (line[i] + pred) & 255
    prev = line
    colours = bytes(line) if bpp == 3 else bytes(v for i, v in enumerate(line) if i % 4 != 3)
    lead = len(colours) - len(colours.lstrip(b'\0'))
    if lead < len(colours):
        trail = len(colours.rstrip(b'\0'))
        left, right = min(left, lead // 3), max(right, (trail - 1) // 3 + 1)
        top, bottom = min(top, y), y + 1
box = (left, top, right, bottom)
print(f"ok: {w} x {h}, the form's picture spans {box}")
# The outline's corners are cut away, so the picture may stop a few pixels short of each edge.
slack = 12 * fw // 816
sys.exit(0 if ox <= box[0] <= ox + slack and oy <= box[1] <= oy + slack
         and ox + fw - slack <= box[2] <= ox + fw and oy + fh - slack <= box[3] <= oy + fh else 1)
PY
