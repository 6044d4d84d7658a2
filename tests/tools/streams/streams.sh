#!/usr/bin/env bash
# torvatool lzh, dib, rsb, picture and avi on the corpus files and on broken copies of them.
set -euo pipefail
tool="$1"
corpora="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }
expect_fail() { # expect_fail COMMAND...: must exit 1 with a message, never crash
  set +e; output="$("$@" 2>&1)"; local got=$?; set -e
  [ "$got" -eq 1 ] || fail "$* exited $got, not 1: $output"
  [ -n "$output" ] || fail "$* said nothing"
}

# LZH: byte-exact with the reference packer, both ways; packing that would not save anything
# is refused, as the compressor refuses it.
for name in empty one_byte spaces100 text_repeats gradient166x350; do
  "$tool" lzh decompress "$corpora/lzh/$name.lzh" "$name.out" > /dev/null
  cmp -s "$name.out" "$corpora/lzh/$name.in" || fail "decompress $name"
done
for name in spaces100 text_repeats gradient166x350; do
  "$tool" lzh compress "$corpora/lzh/$name.in" "$name.lzh" > /dev/null
  cmp -s "$name.lzh" "$corpora/lzh/$name.lzh" || fail "compress $name"
done
expect_fail "$tool" lzh compress "$corpora/lzh/one_byte.in" one_byte.lzh
grep -q "larger than the original" <<< "$output" || fail "one byte: $output"
head -c 20 "$corpora/lzh/gradient166x350.lzh" > truncated.lzh
expect_fail "$tool" lzh decompress truncated.lzh out
grep -q "too short" <<< "$output" || fail "truncated LZH message: $output"

# Data streams: raw, LZH and run-length envelopes decode to the picture they were made from.
"$tool" picture "$corpora/bmpsuite/g/rgb24.bmp" rgb24.png > /dev/null
"$tool" picture "$corpora/bmpsuite/g/pal8.bmp" pal8.png > /dev/null
"$tool" dib encode "$corpora/bmpsuite/g/rgb24.bmp" raw.dib > /dev/null
"$tool" dib encode --lzh "$corpora/bmpsuite/g/rgb24.bmp" lzh.dib > /dev/null
"$tool" dib encode --rle "$corpora/bmpsuite/g/pal8.bmp" rle.dib > /dev/null
[ "$(stat -c %s lzh.dib)" -lt "$(stat -c %s raw.dib)" ] || fail "the LZH envelope is smaller"
for stream in raw lzh; do
  "$tool" dib decode $stream.dib $stream.png > /dev/null
  cmp -s $stream.png rgb24.png || fail "$stream stream decodes to another picture"
done
"$tool" dib decode rle.dib rle.png > /dev/null
cmp -s rle.png pal8.png || fail "run-length stream decodes to another picture"
for stream in raw lzh rle; do
  head -c 30 $stream.dib > cut-$stream.dib
  expect_fail "$tool" dib decode cut-$stream.dib out.png
  [ ! -e out.png ] || fail "a picture was written from a cut $stream stream"
done

# RSB: a picture made into .RSB comes back the same once it is in the format's colours.
"$tool" rsb "$corpora/bmpsuite/g/rgb24.bmp" first.rsb > /dev/null
"$tool" rsb first.rsb first.png > /dev/null
"$tool" rsb first.png second.rsb > /dev/null
cmp -s first.rsb second.rsb || fail "RSB round trip"
head -c 12 first.rsb > cut.rsb
expect_fail "$tool" rsb cut.rsb out.png

# Pictures and clips: broken files are refused with their name.
head -c 100 "$corpora/bmpsuite/g/rgb24.bmp" > cut.bmp
expect_fail "$tool" picture cut.bmp out.png
grep -q "cut.bmp" <<< "$output" || fail "picture error names the file: $output"
"$tool" avi info "$corpora/avi/dillo.avi" | grep -q "frames 71" || fail "clip header"
"$tool" avi frame "$corpora/avi/dillo.avi" 70 last.png > /dev/null || fail "last frame"
expect_fail "$tool" avi frame "$corpora/avi/dillo.avi" 71 beyond.png
head -c 2000 "$corpora/avi/dillo.avi" > cut.avi
expect_fail "$tool" avi info cut.avi
echo "stream tools: ok"
