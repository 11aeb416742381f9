#!/usr/bin/env bash
# Every effect and slide transition the installed suite offers plays to its end: the gallery
# decks (tests/decks/gallery/make_gallery_decks.py, one slide per preset) are converted by the
# built program, and each run must exit 0, never be cut off at its time limit or wait for a show
# that does not start, and have recorded the deck's last slide.
#
#   exact:    every deck as .fodp on the show's own clock, and the motion paths and timing decks
#             also as LibreOffice's .pptx and .ppt conversions;
#   realtime: the timing deck (self-advancing slides, transitions, repeats) and the motion paths
#             on the wall clock.
#
# Runs go JOBS (default 4) at a time: each has a display of its own, and on the show's clock a
# run waits on its page far more than it computes.
#
#   usage: gallery_decks_test.sh DECKREC MAKE_GALLERY_DECKS.py exact|realtime
set -uo pipefail
program="${1:?usage: $0 DECKREC GENERATOR exact|realtime}"
generator="${2:?}"
mode="${3:?}"
jobs="${JOBS:-4}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

python3 "$generator" "$work" >/dev/null || { echo "FAIL: the gallery decks were not written"; exit 1; }

runs=()
case "$mode" in
  exact)
    for deck in "$work"/*.fodp; do runs+=("$deck"); done
    soffice "-env:UserInstallation=file://$work/profile" --headless --norestore --convert-to pptx --outdir "$work" \
      "$work/gallery-motion.fodp" "$work/gallery-timing.fodp" >/dev/null 2>&1
    soffice "-env:UserInstallation=file://$work/profile" --headless --norestore --convert-to ppt --outdir "$work" \
      "$work/gallery-motion.fodp" "$work/gallery-timing.fodp" >/dev/null 2>&1
    runs+=("$work"/gallery-{motion,timing}.{pptx,ppt})
    options=()
    minutes=3 ;;
  realtime)
    runs=("$work/gallery-timing.fodp" "$work/gallery-motion.fodp")
    options=(--realtime)
    minutes=4 ;;
  *) echo "unknown mode $mode"; exit 2 ;;
esac

# One run: its verdict line goes to RUN.verdict.
play() {
  local file="$1" name base slides status reached seconds start
  name="$(basename "$file")"
  base="${name%.*}"
  slides=$(grep -o '<draw:page ' "$work/$base.fodp" | wc -l)
  if [ ! -s "$file" ]; then
    echo "FAIL $name: LibreOffice did not write it" >"$file.verdict"
    return
  fi
  start=$(date +%s)
  env -u DISPLAY "$program" convert "$file" -q --latency 300 -o "$file.gif" --keep-recording "$file.rec" \
    --max-minutes "$minutes" "${options[@]}" >"$file.log" 2>&1
  status=$?
  seconds=$(( $(date +%s) - start ))
  reached=$(python3 -c 'import json, sys; s = json.load(open(sys.argv[1]))["slides"]; print(s[-1]["slide"] if s else 0)' \
    "$file.rec/recording.json" 2>/dev/null || echo 0)
  if [ "$status" = 0 ] && [ "$reached" = "$slides" ] && ! grep -q 'did not start\|was cut off' "$file.log"; then
    echo "ok   $name: $slides slides in $seconds s" >"$file.verdict"
  else
    { echo "FAIL $name: exit $status, the recording's last slide is $reached of $slides ($seconds s):"
      grep -v '^js: ' "$file.log" | tail -3 | sed 's/^/       /'; } >"$file.verdict"
  fi
}

for file in "${runs[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n; done
  play "$file" &
done
wait

failed=0
for file in "${runs[@]}"; do
  cat "$file.verdict"
  grep -q '^ok' "$file.verdict" || failed=1
done
exit $failed
