#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package of a build folder ($1, by default build/), unpacks it into a scratch
# root and checks what a user installing it gets: every file under usr/ with Debian's owners
# and modes, a package lintian finds no error in, a valid menu entry and AppStream metadata, a
# manual page and bash completion that cover every option of the help, a program that answers
# --version and converts the sample deck from where it was unpacked, and nothing under the
# unpacked root changed by running it. The conversion needs the X display and sound server
# scripts/test.sh starts.
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
# Owned by root; folders and the program 0755, every other file 0644.
modes=$(dpkg -c "$deb" | awk '{ want = $6 ~ /\/$/ ? "drwxr-xr-x" : $6 == "./usr/bin/deckrec" ? "-rwxr-xr-x" : "-rw-r--r--" }
  $1 != want || $2 != "root/root"')
[ -z "$modes" ] || fail "files with another owner or mode than Debian's: $modes"

# lintian: no error, and a manual page and a description that fits 80 columns. Its findings
# are printed, overrides (usr/share/lintian/overrides/deckrec) with their reasons.
# Its exit status is 1 for an error in the package, 2 when it could not check it.
status=0
lintian --info --show-overrides "$deb" >"$scratch/lintian.log" 2>&1 || status=$?
grep -v -e '^N:' -e 'running with root privileges' "$scratch/lintian.log" | sed 's/^/lintian: /' || true
[ "$status" -le 1 ] || fail "lintian could not check the package (exit status $status)"
if grep -E -e '^E: ' -e ': (no-manual-page|extended-description-line-too-long)( |$)' "$scratch/lintian.log" >&2; then
  fail "lintian finds the package at fault"
fi

dpkg-deb -x "$deb" "$scratch/root"
usr="$scratch/root/usr"
for file in bin/deckrec share/deckrec/main.htm share/deckrec/adpcm1.wav share/deckrec/adpcm2.wav \
    share/deckrec/adpcm3.wav share/deckrec/sample/deckrec-sample.fodp \
    share/applications/org.deckrec.Deckrec.desktop share/metainfo/org.deckrec.Deckrec.metainfo.xml \
    share/icons/hicolor/scalable/apps/org.deckrec.Deckrec.svg share/man/man1/deckrec.1.gz \
    share/bash-completion/completions/deckrec share/doc/deckrec/copyright share/doc/deckrec/changelog.Debian.gz; do
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

# The manual page and the completion as installed, against the installed program's help.
bash "$root/tests/cli/manpage_test.sh" "$usr/share/man/man1/deckrec.1.gz" "$program" || fail "the manual page"
bash "$root/tests/cli/completion_test.sh" "$usr/share/bash-completion/completions/deckrec" "$program" ||
  fail "the bash completion"

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
