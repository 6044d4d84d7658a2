#!/bin/sh
# A demo that runs from the disc keeps its drive after the menu ends: the sample disc's
# "runs from the disc" demo (GOLF.EXE) becomes a native script that waits for a stop file, on
# an image of the disc. The menu starts it and quits; the drive and the image's cache entry stay
# while it runs, and go once it has ended.
#   drive_outlives_menu.sh TORVAXP TORVATOOL SAMPLE_DISC WORKDIR
# Exits 77 (skipped) when xorriso is missing.
set -eu
torvaxp=$1
torvatool=$2
sample=$3
work=$4

command -v xorriso >/dev/null 2>&1 || { echo "SKIP: xorriso is not installed"; exit 77; }
fail() {
    echo "FAIL: $*"
    touch "$work/stop"
    exit 1
}
chmod -R u+w "$work" 2>/dev/null || true
rm -rf "$work"
mkdir -p "$work"
cp -r "$sample" "$work/disc"
chmod -R u+w "$work/disc"
cat >"$work/disc/DEMOS/GOLF/GOLF.EXE" <<'SCRIPT'
#!/bin/sh
touch "$TORVA_TEST_WORK/running"
while [ ! -e "$TORVA_TEST_WORK/stop" ]; do sleep 0.2; done
ls . >"$TORVA_TEST_WORK/seen.part"; mv "$TORVA_TEST_WORK/seen.part" "$TORVA_TEST_WORK/seen"
SCRIPT
xorriso -report_about FAILURE -outdev "$work/disc.iso" -joliet on -rockridge off -volid "Torva CD v2" -map "$work/disc" / >/dev/null 2>&1
cat >"$work/run.script" <<'SCRIPT'
click DemosLabel10
key Down
key Down
expect PositionLabel.Caption 12 z 12
click PlayDIBOff
quit
SCRIPT

export XDG_CACHE_HOME="$work/cache" TORVA_TEST_WORK="$work"
"$torvaxp" "$work/disc.iso" --prefix "$work/prefix" --headless --script "$work/run.script" >"$work/menu.log" 2>&1 ||
    fail "the menu failed: $(cat "$work/menu.log")"
for _ in $(seq 50); do [ -e "$work/running" ] && break; sleep 0.1; done
[ -e "$work/running" ] || fail "the demo did not start: $(cat "$work/menu.log")"

drive="$work/prefix/dosdevices/d:"
[ -f "$drive/Torva/torvaxp.ini" ] || fail "the drive went with the menu"
TORVA_IMAGE_CACHE_MB=0 "$torvatool" image forget >/dev/null 2>&1 || true
[ -f "$drive/DEMOS/GOLF/GOLF.EXE" ] || fail "forgetting the cache took the running demo's image"

touch "$work/stop"
# Renamed into place once written, so a listing is never read half-made; a loaded machine
# may take a while to let the demo go on.
for _ in $(seq 200); do [ -e "$work/seen" ] && break; sleep 0.1; done
grep -q "GOLF.EXE" "$work/seen" || fail "the demo could not read its drive after the menu ended"
for _ in $(seq 50); do [ -e "$drive" ] || [ -L "$drive" ] || break; sleep 0.1; done
[ ! -e "$drive" ] && [ ! -L "$drive" ] || fail "the drive stayed after the demo ended"
"$torvatool" image forget >"$work/forget.log" 2>&1
echo "ok: the drive and the cache entry lasted while the demo ran, and went after it"
