#!/usr/bin/env bash
# Turns the sample presentation (data/sample/deckrec-sample.fodp, kept as plain XML) into
# deckrec-sample.ppt with LibreOffice Impress. Output folder: $1, by default build/bin/sample
# (the program folder's sample/). Nothing is done when the .ppt is newer than its source.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source_file="$root/data/sample/deckrec-sample.fodp"
out_dir="${1:-$root/build/bin/sample}"
target="$out_dir/deckrec-sample.ppt"

if [ -f "$target" ] && [ "$target" -nt "$source_file" ]; then
  exit 0
fi
if ! command -v soffice >/dev/null 2>&1; then
  echo "make-sample.sh: soffice (LibreOffice Impress) is not installed" >&2
  exit 1
fi
mkdir -p "$out_dir"
# A profile of its own: conversions sharing one fail silently, and a running LibreOffice of
# the user stays out of it.
profile=$(mktemp -d /tmp/deckrec-soffice.XXXXXX)
trap 'rm -rf "$profile"' EXIT
rm -f "$target"
soffice "-env:UserInstallation=file://$profile" --headless --norestore \
  --convert-to ppt --outdir "$out_dir" "$source_file" >/dev/null 2>&1 || true
# soffice exits with 0 when the conversion fails too: only the file counts.
if [ ! -s "$target" ]; then
  echo "make-sample.sh: LibreOffice did not write $target" >&2
  exit 1
fi
