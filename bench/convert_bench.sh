#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Wall time of `deckrec convert` against the length of the recording it makes, on displays of
# its own (DISPLAY unset), at the default latency: on the show's own clock at the default rate
# to GIF, and at 30 frames a second 1280 x 720 to MP4; with --realtime also on the wall clock.
#
#   usage: bench/convert_bench.sh BUILD_DIR [--realtime] [DECK ...]
#   default decks: the 30-slide photo deck of data/sample and bench/decks/long-lecture.fodp (56 slides)
set -euo pipefail
build="$(cd "${1:?usage: $0 BUILD_DIR [--realtime] [DECK ...]}" && pwd)"
shift
modes=(exact exact-hd30)
if [ "${1:-}" = --realtime ]; then
  modes+=(realtime)
  shift
fi
root="$(cd "$(dirname "$0")/.." && pwd)"
decks=("$@")
[ ${#decks[@]} -gt 0 ] || decks=("$root/data/sample/deckrec-photos.fodp" "$root/bench/decks/long-lecture.fodp")
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

printf '%-22s %-11s %10s %9s %8s\n' deck mode recording wall speed
for deck in "${decks[@]}"; do
  for mode in "${modes[@]}"; do
    out="$work/$mode"
    rm -rf "$out"
    case "$mode" in
      exact) flags=(-o "$work/out.gif") ;;
      exact-hd30) flags=(--fps 30 --capture 1280x720 --size original -o "$work/out.mp4") ;;
      realtime) flags=(--realtime -o "$work/out.gif") ;;
    esac
    start=$(date +%s.%N)
    env -u DISPLAY "$build/bin/deckrec" convert "$deck" -q "${flags[@]}" --keep-recording "$out"
    end=$(date +%s.%N)
    frames=$(sed -n 's/.*"FrameCount": \([0-9]*\).*/\1/p' "$out/recording.json")
    period=$(sed -n 's/.*"framePeriodMs": \([0-9.]*\).*/\1/p' "$out/recording.json")
    awk -v d="$(basename "$deck")" -v m="$mode" -v f="$frames" -v p="$period" -v s="$start" -v e="$end" 'BEGIN {
      length_s = f * p / 1000; wall = e - s
      printf "%-22s %-11s %9.1fs %8.1fs %7.1fx\n", d, m, length_s, wall, length_s / wall }'
  done
done
