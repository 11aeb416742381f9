#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# How fast the pictures of a live performance are drawn after the session, against the talk's
# length: a kept recording cut off while its show played live (a log of CLICKS clicks spread
# over SECONDS of silent sound, no frames) is exported with `deckrec export`, which draws
# every slot on the show's clock and then encodes the MP4. At 30 frames a second 1280 x 720
# and 60 frames a second 1920 x 1080, on displays of its own (DISPLAY unset). Prints the
# seconds of rendering (from opening the deck to the last slot) per second of talk, and the
# start-up and encoding apart.
#
#   usage: bench/performance_render_bench.sh BUILD_DIR [CLICKS=20] [SECONDS=60] [DECK]
#   default deck: the 30-slide photo deck of data/sample
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
deckrec="$(realpath "${1:?usage: $0 BUILD_DIR [CLICKS] [SECONDS] [DECK]}")/bin/deckrec"
clicks=${2:-20}
seconds=${3:-60}
deck="$(realpath "${4:-$root/data/sample/deckrec-photos.fodp}")"
work=$(mktemp -d /tmp/deckrec-render-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT

# The show is converted once beforehand: the cache's first conversion is no part of rendering.
env -u DISPLAY "$deckrec" convert "$deck" -q --max-minutes 0.05 -o "$work/warm.gif" || true

printf '%-16s %6s %7s %8s %9s %8s\n' mode talk start render render/s encode
for mode in 30:1280:720 60:1920:1080; do
  IFS=: read -r fps width height <<<"$mode"
  kept="$work/kept-$fps"
  mkdir -p "$kept"
  sox -q -n -r 44100 -c 1 -b 16 "$kept/_temp.wav" trim 0 "$seconds"
  actions=$(awk -v n="$clicks" -v s="$seconds" 'BEGIN {
    for (k = 1; k <= n; ++k) printf "%s{\"ms\": %d, \"action\": \"next\"}", (k > 1 ? ", " : ""), k * s * 1000 / (n + 1) }')
  cat >"$kept/recording.json" <<JSON
{"FrameCount": 0, "framePeriodMs": $(awk -v f="$fps" 'BEGIN { printf "%.15g", 1000 / f }'), "deck": "$deck",
 "audio": true, "ended": false, "performance": {"actions": [$actions]},
 "rendering": {"width": $width, "height": $height}}
JSON
  marks=$(env -u DISPLAY python3 "$root/bench/stderr_marks.py" open=Opening "rendered=.mp4 [" -- \
          "$deckrec" export "$kept" --size original -o "$work/talk-$fps.mp4")
  awk -v m="${fps}fps ${width}x${height}" -v s="$seconds" '
    { t[$1] = $2 }
    END { render = t["rendered"] - t["open"]
          printf "%-16s %5ds %6.1fs %7.1fs %9.2f %7.1fs\n", m, s, t["open"], render, render / s, t["end"] - t["rendered"] }' \
      <<<"$marks"
done
