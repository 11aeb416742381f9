#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# deckrec batch on 8 decks with -j 1 and -j 2, each with a cold show cache (LibreOffice
# converts every deck) and a warm one (every show is in the cache): decks a minute, and the
# peak memory of one worker (the conversion with its display, browser engine and LibreOffice:
# the sum of their resident sizes, sampled every 0.5 s; shared libraries count once a process).
#
#   usage: bench/batch_bench.sh BUILD_DIR [DECKS=8]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
deckrec="$(realpath "${1:-$root/build}")/bin/deckrec"
count=${2:-8}
work=$(mktemp -d /tmp/deckrec-batch-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT

# Decks of different content, so that each is a show of its own in the cache.
samples=("$root"/data/sample/deckrec-sample.fodp "$root"/data/sample/deckrec-photos.fodp)
for i in $(seq "$count"); do
  source_deck=${samples[$(( (i - 1) % ${#samples[@]} ))]}
  { cat "$source_deck"; echo "<!-- bench deck $i -->"; } >"$work/deck$i.fodp"
done

# Peak over the run of the largest worker: the resident sizes of each worker's process tree
# (the conversion, its display, browser engine and LibreOffice) summed, from one ps a sample.
sample_workers() {
  local batch=$1 peak=0 now
  while [ -e "$work/sampling" ]; do
    now=$(ps -e -o pid=,ppid=,rss= | awk -v batch="$batch" '
      { parent[$1] = $2; rss[$1] = $3 }
      END {
        for (p in parent) {
          q = p
          while (q in parent && parent[q] != batch && parent[q] > 1) q = parent[q]
          if (parent[q] == batch) sum[q] += rss[p]
        }
        for (w in sum) if (sum[w] > max) max = sum[w]
        print max + 0
      }')
    [ "$now" -gt "$peak" ] && peak=$now
    sleep 0.5
  done
  echo "$peak" >"$work/peak"
}

run() { # jobs cache-state
  local jobs=$1 state=$2
  [ "$state" = cold ] && rm -rf "$work/cache"
  rm -rf "$work/out"
  touch "$work/sampling"
  local start end
  start=$(date +%s.%N)
  XDG_CACHE_HOME="$work/cache" "$deckrec" batch "$work"/deck*.fodp -O "$work/out" --formats mp4,gif \
    --latency 1000 -j "$jobs" -q >"$work/summary" 2>&1 &
  local batch=$!
  sample_workers "$batch" &
  local sampler=$!
  wait "$batch" || echo "batch failed (-j $jobs, $state): $(tail -n +2 "$work/summary")" >&2
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
