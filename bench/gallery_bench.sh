#!/usr/bin/env bash
# How the suite's whole gallery of effects and transitions plays (the decks that
# tests/decks/gallery/make_gallery_decks.py writes from the installed LibreOffice's preset lists),
# as .fodp and as LibreOffice's .pptx and .ppt conversions of them. For each deck and format:
# how many slides it has, whether the show ran to its end and how far it got, and how many
# slides end as they should: the last picture recorded of each slide against LibreOffice's PDF
# of the deck's end state (the same slides without effects, each shape as the effects leave it,
# converted to the same format first), rasterised at the slide's size in the frames; PSNR after
# a one-pixel blur, 25 dB or more passes (build/bench/fidelity_compare --last-of-slide). The
# slides that do not pass are named, and go side by side (end state | recorded) into OUT_DIR.
#
#   usage: [FORMATS="fodp pptx ppt"] [DECKS="entrance emphasis exit motion transitions timing"]
#          [LATENCY=3400] [REALTIME=1] [MAX_MINUTES=15]
#          bench/gallery_bench.sh BUILD_DIR [OUT_DIR] [-- generator options, e.g. --only REGEX]
#
# The default latency lets nearly every effect run to its end before the next click (a longer
# one is ended by the click, as in the suite's show), and falls well after the ends of the
# decks' effects, which come at multiples of a quarter second: a click in the slot after an
# effect ends moves on before the recording has a picture of its end. The show's own clock makes the
# waits cost nothing (REALTIME=1 records on the wall clock instead, and then they do).
set -euo pipefail
build="$(cd "${1:?usage: $0 BUILD_DIR [OUT_DIR] [-- generator options]}" && pwd)"
out="${2:-$PWD/gallery-out}"
shift $(( $# >= 2 ? 2 : 1 ))
[ "${1:-}" = "--" ] && shift
root="$(cd "$(dirname "$0")/.." && pwd)"
formats="${FORMATS:-fodp pptx ppt}"
mkdir -p "$out"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
profile="file://$work/profile"

soffice_to() { # format, outdir, file...
  local format="$1" dir="$2"
  shift 2
  soffice "-env:UserInstallation=$profile" --headless --norestore --convert-to "$format" --outdir "$dir" "$@" >/dev/null 2>&1 || true
}

# The size a page of this shape takes in the recorded frames, as fidelity_compare fits it.
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

python3 "$root/tests/decks/gallery/make_gallery_decks.py" "$work/decks" --end-state "$@" >/dev/null
summary=()
for deck in "$work"/decks/*.fodp; do
  case "$deck" in *.end.fodp) continue ;; esac
  name="$(basename "$deck" .fodp)"
  [ -z "${DECKS:-}" ] || [[ " $DECKS " == *" ${name#gallery-} "* ]] || continue
  dir="$work/$name"
  mkdir -p "$dir"
  cp "$deck" "$work/decks/$name.end.fodp" "$dir/"
  # Slide titles from the pages' names ("12 ooo-entrance-fly-in").
  grep -o '<draw:page draw:name="[^"]*"' "$deck" | sed 's/.*draw:name="[0-9]* //;s/"$//' >"$dir/titles.txt"
  slides=$(wc -l <"$dir/titles.txt")
  [ "$slides" -gt 0 ] || continue
  for format in $formats; do
    [ "$format" = fodp ] || soffice_to "$format" "$dir" "$dir/$name.fodp" "$dir/$name.end.fodp"
    file="$dir/$name.$format"
    [ -s "$file" ] && [ -s "$dir/$name.end.$format" ] || { summary+=("$name.$format: LibreOffice did not write it"); continue; }
    pdf_dir="$dir/pdf-$format"
    mkdir -p "$pdf_dir"
    soffice_to pdf "$pdf_dir" "$dir/$name.end.$format"
    rec="$dir/rec-$format"
    start=$(date +%s)
    status=0
    env -u DISPLAY "$build/bin/deckrec" convert "$file" -q --latency "${LATENCY:-3400}" -o "$dir/out.gif" \
      --keep-recording "$rec" --max-minutes "${MAX_MINUTES:-15}" ${REALTIME:+--realtime} >"$dir/log-$format.txt" 2>&1 ||
      status=$?
    seconds=$(( $(date +%s) - start ))
    reached=$(python3 -c 'import json, sys; s = json.load(open(sys.argv[1])).get("slides", []); print(max([m["slide"] for m in s] or [0]))' \
      "$rec/recording.json" 2>/dev/null || echo 0)
    played="exit $status, reached slide $reached of $slides in ${seconds} s"
    [ "$status" = 0 ] && [ "$reached" = "$slides" ] && played="played to the end in ${seconds} s"
    stalled="$(grep -m1 -o 'did not start.*\|the show was cut off.*' "$dir/log-$format.txt" || true)"
    [ -z "$stalled" ] || played="$played ($stalled)"
    if [ -s "$rec/recording.json" ] && [ -s "$pdf_dir/$name.end.pdf" ]; then
      read -r width height < <(slide_area "$rec/recording.json" "$pdf_dir/$name.end.pdf")
      pdftoppm -scale-to-x "$width" -scale-to-y "$height" -png "$pdf_dir/$name.end.pdf" "$pdf_dir/page"
      "$build/bench/fidelity_compare" --last-of-slide --titles "$dir/titles.txt" "$rec" "$out" "$name.$format" \
        $(ls -v "$pdf_dir"/page-*.png) >"$dir/compare-$format.txt"
      cp "$dir/compare-$format.txt" "$out/$name.$format.txt"
      summary+=("$name.$format: $played; $(tail -1 "$dir/compare-$format.txt" | sed "s/^$name.$format: //")")
    else
      summary+=("$name.$format: $played; nothing to compare")
    fi
    echo "${summary[-1]}"
  done
done
printf '%s\n' "${summary[@]}" >"$out/summary.txt"
