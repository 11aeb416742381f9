#!/usr/bin/env bash
# Builds the Debian package of a build folder ($1, by default build/), unpacks it into a scratch
# root and checks what a user installing it gets: every file under usr/, a valid menu entry and
# AppStream metadata, a program that answers --version and converts the sample deck from where
# it was unpacked, and nothing under the unpacked root changed by running it. The conversion
# needs the X display and sound server scripts/test.sh starts.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
scratch=$(mktemp -d /tmp/deckrec-package.XXXXXX)
trap 'chmod -R u+w "$scratch" 2>/dev/null; rm -rf "$scratch"' EXIT
fail() { echo "test-package.sh: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1) || { cat "$scratch/cpack.log" >&2; fail "cpack failed"; }
debs=("$scratch"/out/deckrec_*.deb)
[ -f "${debs[0]}" ] || fail "cpack wrote no deckrec_*.deb"
deb="${debs[0]}"
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes, installed $(dpkg-deb -f "$deb" Installed-Size) KiB"
echo "Depends: $(dpkg-deb -f "$deb" Depends)"
echo "Recommends: $(dpkg-deb -f "$deb" Recommends)"
dpkg-deb -f "$deb" Depends | grep -q 'libreoffice-impress' || fail "Depends lacks libreoffice-impress"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6webenginewidgets6' || fail "Depends lacks the libraries the program links"

outside=$(dpkg -c "$deb" | awk '{print $6}' | grep -v -e '^\./$' -e '^\./usr/' || true)
[ -z "$outside" ] || fail "files outside usr/: $outside"

dpkg-deb -x "$deb" "$scratch/root"
usr="$scratch/root/usr"
for file in bin/deckrec share/deckrec/main.htm share/deckrec/adpcm1.wav share/deckrec/adpcm2.wav \
    share/deckrec/adpcm3.wav share/deckrec/sample/deckrec-sample.fodp \
    share/applications/org.deckrec.Deckrec.desktop share/metainfo/org.deckrec.Deckrec.metainfo.xml \
    share/icons/hicolor/scalable/apps/org.deckrec.Deckrec.svg; do
  [ -s "$usr/$file" ] || fail "the package lacks usr/$file"
done
desktop-file-validate "$usr/share/applications/org.deckrec.Deckrec.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$usr/share/metainfo/org.deckrec.Deckrec.metainfo.xml" >"$scratch/appstream.log" 2>&1 ||
  { cat "$scratch/appstream.log" >&2; fail "appstreamcli validate"; }

# Names, kinds, modes, sizes and times of everything, and the files' contents: a file written
# and removed again still changes its folder's time.
snapshot() {
  (cd "$scratch/root" && find . -printf '%p %y %m %s %T@\n' | LC_ALL=C sort &&
     find . -type f -print0 | LC_ALL=C sort -z | xargs -0 sha256sum)
}
snapshot >"$scratch/before"
# A private cache folder: the installed program keeps its working files there.
export XDG_CACHE_HOME="$scratch/cache"
program="$usr/bin/deckrec"
cd "$scratch"

version=$("$program" --version) || fail "deckrec --version failed"
[ -n "$version" ] || fail "deckrec --version printed nothing"
echo "deckrec --version: $version"

"$program" convert "$usr/share/deckrec/sample/deckrec-sample.fodp" --fast --latency 1500 -o "$scratch/sample.gif" >"$scratch/convert.log" 2>&1 ||
  { tail -n 20 "$scratch/convert.log" >&2; fail "deckrec convert of the sample deck failed"; }
[ "$(head -c 6 "$scratch/sample.gif")" = "GIF89a" ] || fail "deckrec convert wrote no GIF"
echo "converted the sample deck: $(stat -c %s "$scratch/sample.gif") bytes"

snapshot >"$scratch/after"
if ! cmp -s "$scratch/before" "$scratch/after"; then
  diff "$scratch/before" "$scratch/after" >&2 || true
  fail "running the unpacked program changed files under its root"
fi
echo "test-package.sh: the package passed"
