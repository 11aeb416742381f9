#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Turns the sample presentations (data/sample/*.fodp, kept as plain XML: deckrec-sample and the
# dark deckrec-dark) into .ppt files with LibreOffice Impress. Output folder: $1, by default
# build/bin/sample (the program folder's sample/). A .ppt newer than its source is left alone.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out_dir="${1:-$root/build/bin/sample}"

profile=""
trap '[ -n "$profile" ] && rm -rf "$profile"' EXIT

for source_file in "$root"/data/sample/*.fodp; do
  target="$out_dir/$(basename "$source_file" .fodp).ppt"
  if [ -f "$target" ] && [ "$target" -nt "$source_file" ]; then
    continue
  fi
  if ! command -v soffice >/dev/null 2>&1; then
    echo "make-sample.sh: soffice (LibreOffice Impress) is not installed" >&2
    exit 1
  fi
  mkdir -p "$out_dir"
  # A profile of its own: conversions sharing one fail silently, and a running LibreOffice of
  # the user stays out of it.
  [ -n "$profile" ] || profile=$(mktemp -d /tmp/deckrec-soffice.XXXXXX)
  rm -f "$target"
  soffice "-env:UserInstallation=file://$profile" --headless --norestore \
    --convert-to ppt --outdir "$out_dir" "$source_file" >/dev/null 2>&1 || true
  # soffice exits with 0 when the conversion fails too: only the file counts.
  if [ ! -s "$target" ]; then
    echo "make-sample.sh: LibreOffice did not write $target" >&2
    exit 1
  fi
done
