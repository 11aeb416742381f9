#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# How closely a recording looks like the suite's own rendering of the deck. For each deck (by
# default the flat ODF decks of tests/decks) and for LibreOffice's .pptx and .ppt conversions
# of it: records it with `deckrec convert`, rasterises LibreOffice's PDF export of the same
# file straight at the size the slide has in the recorded frames, and compares each slide
# with its best-matching recorded frame (build/bench/fidelity_compare). The worst slides go
# side by side (reference | recorded) into OUT_DIR. A second line ("floor") compares two
# rasterisers of the same PDF at that size (poppler's Cairo pages against its Splash pages):
# what a perfect recording could hope for, since glyph edges and their sub-pixel places differ
# from one rasteriser to the next. Every line also gives the PSNR after a one-pixel blur of
# both, which forgives exactly that, and SSIM.
# CAPTURE=1280x720 records at that capture size instead of the default.
#
#   usage: [CAPTURE=WxH] bench/fidelity_bench.sh BUILD_DIR [OUT_DIR] [DECK.fodp ...]
set -euo pipefail
build="$(cd "${1:?usage: $0 BUILD_DIR [OUT_DIR] [DECK ...]}" && pwd)"
out="${2:-$PWD/fidelity-out}"
shift $(( $# >= 2 ? 2 : 1 ))
root="$(cd "$(dirname "$0")/.." && pwd)"
decks=("$@")
[ ${#decks[@]} -gt 0 ] || decks=("$root"/tests/decks/*.fodp)
mkdir -p "$out"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/floor"
profile="file://$work/profile"

soffice_to() { # format, outdir, file
  soffice "-env:UserInstallation=$profile" --headless --norestore --convert-to "$1" --outdir "$2" "$3" >/dev/null 2>&1 || true
}

# The size a page of this shape takes in the recorded frames, as fidelity_compare fits it. The
# shape comes from the PDF's own page size: its 72 dpi pages are rounded to whole pixels.
slide_area() { # recording.json, file.pdf
  python3 - "$1" "$(pdfinfo "$2" | sed -n 's/^Page size: *\([0-9.]*\) x \([0-9.]*\) pts.*/\1 \2/p')" <<'PY'
import json, sys
frame = json.load(open(sys.argv[1]))
pw, ph = (float(v) for v in sys.argv[2].split())
fw, fh = frame['width'], frame['height']
rw = round(fh * pw / ph)
print(rw, fh) if rw <= fw else print(fw, round(fw * ph / pw))
PY
}

for deck in "${decks[@]}"; do
  name="$(basename "$deck" .fodp)"
  mkdir -p "$work/$name"
  cp "$deck" "$work/$name/"
  soffice_to pptx "$work/$name" "$deck"
  soffice_to ppt "$work/$name" "$deck"
  for format in fodp pptx ppt; do
    file="$work/$name/$name.$format"
    [ -s "$file" ] || { echo "$name.$format: LibreOffice did not write it" >&2; continue; }
    pdf_dir="$work/$name/pdf-$format"
    mkdir -p "$pdf_dir"
    soffice_to pdf "$pdf_dir" "$file"
    rec="$work/$name/rec-$format"
    env -u DISPLAY "$build/bin/deckrec" convert "$file" -q --fast --latency 3000 -o "$work/$name/out.gif" \
      ${CAPTURE:+--capture "$CAPTURE"} --keep-recording "$rec"
    read -r width height < <(slide_area "$rec/recording.json" "$pdf_dir/$name.pdf")
    pdftoppm -scale-to-x "$width" -scale-to-y "$height" -png "$pdf_dir/$name.pdf" "$pdf_dir/frame"
    "$build/bench/fidelity_compare" "$rec" "$out" "$name.$format" $(ls -v "$pdf_dir"/frame-*.png)
    mkdir -p "$pdf_dir/cairo"
    pdftocairo -scale-to-x "$width" -scale-to-y "$height" -png "$pdf_dir/$name.pdf" "$pdf_dir/cairo/page"
    "$build/bench/fidelity_compare" "$pdf_dir/cairo" "$work/floor" "$name.$format floor" $(ls -v "$pdf_dir"/frame-*.png)
  done
done
