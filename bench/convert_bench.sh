#!/usr/bin/env bash
# Wall time of `deckrec convert` against the length of the recording it makes, in real time
# and with --fast, on displays of its own (DISPLAY unset), at the default latency.
#
#   usage: bench/convert_bench.sh BUILD_DIR [DECK ...]
#   default decks: the sample deck and the 30-slide photo deck of data/sample
set -euo pipefail
build="$(cd "${1:?usage: $0 BUILD_DIR [DECK ...]}" && pwd)"
shift
root="$(cd "$(dirname "$0")/.." && pwd)"
decks=("$@")
[ ${#decks[@]} -gt 0 ] || decks=("$root/data/sample/deckrec-sample.fodp" "$root/data/sample/deckrec-photos.fodp")
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

printf '%-24s %-6s %10s %10s %8s\n' deck mode recording wall speed
for deck in "${decks[@]}"; do
  for mode in real fast; do
    out="$work/$mode"
    rm -rf "$out"
    flags=()
    [ "$mode" = fast ] && flags=(--fast)
    start=$(date +%s.%N)
    env -u DISPLAY "$build/bin/deckrec" convert "$deck" -q "${flags[@]}" -o "$work/out.gif" --keep-recording "$out"
    end=$(date +%s.%N)
    frames=$(sed -n 's/.*"FrameCount": \([0-9]*\).*/\1/p' "$out/recording.json")
    awk -v d="$(basename "$deck")" -v m="$mode" -v f="$frames" -v s="$start" -v e="$end" 'BEGIN {
      length_s = f * 0.15; wall = e - s
      printf "%-24s %-6s %9.1fs %9.1fs %7.1fx\n", d, m, length_s, wall, length_s / wall }'
  done
done
