#!/bin/sh
# Installs the build into a staging folder as a package would (DESTDIR, prefix /usr), checks its
# files and their metadata with the desktop's validators, and starts the staged menu on its
# staged sample disc: the first page must be the one the build tree's menu shows.
# usage: staged_install.sh BUILD_DIR BUILT_TORVAXP SCRIPT OUT_DIR
set -eu
build=$1 built=$2 script=$3 out=$4
for tool in desktop-file-validate appstreamcli; do
  if ! command -v $tool > /dev/null; then
    echo "SKIP: $tool is not installed (scripts/install-deps)"
    exit 77
  fi
done

rm -rf "$out"
mkdir -p "$out/home"
DESTDIR="$out/stage" cmake --install "$build" --prefix /usr > "$out/install.log"
usr=$out/stage/usr

missing=""
for file in bin/torvaxp bin/torvatool share/applications/torvaxp.desktop share/metainfo/cz.torva.torvaxp.metainfo.xml \
    share/mime/packages/torvaxp.xml share/man/man6/torvaxp.6 share/man/man1/torvatool.1 \
    share/icons/hicolor/scalable/apps/torvaxp.svg share/torvaxp/sample-disc/Torva/torvaxp.ini \
    share/torvaxp/sample-disc/Torva/bb.jpg share/torvaxp/sample-disc/Torva/bc.jpg; do
  [ -f "$usr/$file" ] || missing="$missing $file"
done
for size in 16 32 48 64 128 256; do
  [ -f "$usr/share/icons/hicolor/${size}x$size/apps/torvaxp.png" ] || missing="$missing ${size}x$size icon"
done
if [ -n "$missing" ]; then
  echo "not installed:$missing"
  exit 1
fi
if [ -e "$usr/bin/torvademo" ]; then
  echo "torvademo, a development demo, was installed"
  exit 1
fi
desktop-file-validate "$usr/share/applications/torvaxp.desktop"
appstreamcli validate --no-net "$usr/share/metainfo/cz.torva.torvaxp.metainfo.xml"
# The metadata written by hand names the version the program reports.
version=$("$usr/bin/torvaxp" --version)
grep -q "<release version=\"${version#torvaxp }\"" "$usr/share/metainfo/cz.torva.torvaxp.metainfo.xml" || {
  echo "the metainfo has no release of $version"
  exit 1
}
for page in man6/torvaxp.6 man1/torvatool.1; do
  grep -q "^\.TH .*\"$version\"" "$usr/share/man/$page" || {
    echo "$page is not the manual of $version"
    exit 1
  }
done

# The staged disc gets a label of its own, which the menu records in the prefix's state file:
# so the run below shows that the staged menu read the staged disc, not the build tree's.
staged_disc=$usr/share/torvaxp/sample-disc
sed -i 's/^CDLabel=.*/CDLabel=Staged disc/' "$staged_disc/Torva/torvaxp.ini"
run() {
  (cd "$out" && env HOME="$out/home" XDG_DATA_HOME="$out/home/data" XDG_CACHE_HOME="$out/home/cache" \
      XDG_CONFIG_HOME="$out/home/config" "$@")
}
run "$usr/bin/torvaxp" --prefix "$out/staged-prefix" --headless --script "$script" --screenshot staged.png
grep -q "=Staged disc" "$out/staged-prefix/drive_c/windows/torva.ini" || {
  echo "the staged menu did not start on the staged sample disc"
  exit 1
}
# The build tree's menu on its own sample disc (the default, so with the disc's fonts too).
run "$built" --prefix "$out/built-prefix" --headless --script "$script" --screenshot built.png
# A blank window compresses to a few kilobytes; the page with its pictures and texts does not.
if [ "$(wc -c < "$out/staged.png")" -lt 50000 ]; then
  echo "the staged menu's first page is blank"
  exit 1
fi
cmp "$out/staged.png" "$out/built.png" || {
  echo "the staged menu's first page differs from the build tree's (artwork or fonts missing?)"
  exit 1
}
# The staged copy is a few hundred megabytes with the sanitizers; it is kept only to look into a failure.
rm -rf "$out/stage"
echo "staged install: files, metadata and the first page are in place"
