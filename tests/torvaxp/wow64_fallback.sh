#!/bin/sh
# A Wine that refuses 32-bit prefixes, as builds in the new WoW64 mode do: the menu makes its new
# prefix 64-bit and says so on standard error, and asks that Wine only once.
#   wow64_fallback.sh TORVAXP SCRIPT WORKDIR
set -eu
torvaxp=$1 script=$2 work=$3
fail() { echo "FAIL: $*"; exit 1; }

rm -rf "$work"
mkdir -p "$work/bin"
cat > "$work/bin/wine" <<STANDIN
#!/bin/sh
echo "\$*" >> "$work/wine-runs"
if [ "\$WINEARCH" = win32 ]; then
    echo "wine: WINEARCH=win32 is not supported in wow64 mode" >&2
    exit 1
fi
exit 0
STANDIN
printf '#!/bin/sh\nexit 0\n' > "$work/bin/wineserver"
chmod +x "$work/bin/wine" "$work/bin/wineserver"
export XDG_CACHE_HOME="$work/cache"

for run in 1 2; do
    "$torvaxp" --wine "$work/bin/wine" --prefix "$work/prefix$run" --headless --script "$script" 2> "$work/stderr$run" \
        || fail "the menu failed: $(cat "$work/stderr$run")"
    grep -q "prefix$run is 64-bit: .*not supported in wow64 mode" "$work/stderr$run" \
        || fail "run $run did not say that the prefix is 64-bit: $(cat "$work/stderr$run")"
    grep -qx '#arch=win64' "$work/prefix$run/system.reg" || fail "prefix$run is not 64-bit"
done
[ "$(wc -l < "$work/wine-runs")" = 1 ] || fail "Wine was asked $(wc -l < "$work/wine-runs") times, not once"
echo "ok: both new prefixes are 64-bit, and Wine was asked once"
