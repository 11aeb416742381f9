#!/usr/bin/env bash
# deckrec batch on 8 decks with -j 1 and -j 2, each with a cold show cache (LibreOffice
# converts every deck) and a warm one (every show is in the cache): decks a minute, and the
# peak memory of one worker (the conversion with its display, browser engine and LibreOffice:
# the sum of their proportional set sizes, sampled every 0.3 s).
#
#   usage: bench/batch_bench.sh BUILD_DIR [DECKS=8]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
deckrec="$(realpath "${1:-$root/build}")/bin/deckrec"
count=${2:-8}
work=$(mktemp -d /tmp/deckrec-batch-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT

# Decks of different content, so that each is a show of its own in the cache.
samples=("$root"/data/sample/deckrec-sample.fodp "$root"/data/sample/deckrec-dark.fodp)
for i in $(seq "$count"); do
  source_deck=${samples[$(( (i - 1) % ${#samples[@]} ))]}
  { cat "$source_deck"; echo "<!-- bench deck $i -->"; } >"$work/deck$i.fodp"
done

# Peak over the run of the largest worker: processes grouped by the mark each worker's
# processes inherit (DECKREC_BATCH_WORKER), their Pss summed.
sample_workers() {
  local peak=0
  while [ -e "$work/sampling" ]; do
    declare -A sums=()
    for dir in /proc/[0-9]*; do
      mark=$(tr '\0' '\n' <"$dir/environ" 2>/dev/null | sed -n 's/^DECKREC_BATCH_WORKER=//p') || true
      [ -n "$mark" ] || continue
      pss=$(awk '/^Pss:/ {print $2}' "$dir/smaps_rollup" 2>/dev/null) || true
      sums[$mark]=$(( ${sums[$mark]:-0} + ${pss:-0} ))
    done
    for mark in "${!sums[@]}"; do
      [ "${sums[$mark]}" -gt "$peak" ] && peak=${sums[$mark]}
    done
    unset sums
    sleep 0.3
  done
  echo "$peak" >"$work/peak"
}

run() { # jobs cache-state
  local jobs=$1 state=$2
  [ "$state" = cold ] && rm -rf "$work/cache"
  rm -rf "$work/out"
  touch "$work/sampling"
  sample_workers &
  local sampler=$!
  local start end
  start=$(date +%s.%N)
  XDG_CACHE_HOME="$work/cache" "$deckrec" batch "$work"/deck*.fodp -O "$work/out" --formats mp4,gif \
    --latency 1000 -j "$jobs" -q >/dev/null 2>&1 || echo "batch failed (-j $jobs, $state)" >&2
  end=$(date +%s.%N)
  rm -f "$work/sampling"
  wait "$sampler"
  awk -v j="$jobs" -v s="$state" -v n="$count" -v a="$start" -v b="$end" -v p="$(cat "$work/peak")" \
    'BEGIN { printf "-j %d %-4s %2d decks in %6.1f s: %5.1f decks/min, peak per worker %4.0f MB\n", j, s, n, b-a, n*60/(b-a), p/1024 }'
}

echo "deckrec batch, $count decks (mp4 + gif each, --latency 1000), $(nproc) processors"
for jobs in 1 2; do
  run "$jobs" cold
  run "$jobs" warm
done
