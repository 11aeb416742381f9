#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What the live part of `deckrec convert --audio` costs: the show played with its sound, no
# frame taken, the slide actions logged. The CPU time used while it plays, per second of show,
# of the program's own process and of its whole process tree (the browser engine's helpers,
# and the display and sound servers of its own, DISPLAY being unset); again at 30 frames a
# second (the live loop wakes once a slot), and for `--audio --realtime`, which grabs every
# frame on the wall clock instead. An idle wait uses none: the live part should come close.
#
#   usage: bench/live_cost_bench.sh BUILD_DIR [DECK] [LATENCY_MS=2000]
#   default deck: data/sample/deckrec-sample.fodp (4 slides with build steps)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
deckrec="$(realpath "${1:?usage: $0 BUILD_DIR [DECK] [LATENCY_MS]}")/bin/deckrec"
deck="$(realpath "${2:-$root/data/sample/deckrec-sample.fodp}")"
latency=${3:-2000}
work=$(mktemp -d /tmp/deckrec-live-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT

# The show is converted once beforehand: LibreOffice's conversion is no part of the show.
env -u DISPLAY "$deckrec" convert "$deck" -q --max-minutes 0.05 -o "$work/warm.gif" || true

printf '%-10s %8s %12s %12s\n' mode show 'own CPU/s' 'tree CPU/s'
for mode in live live-30fps realtime; do
  case "$mode" in
    # Live ends where the rendering of its pictures begins; its loop wakes once a slot.
    live) flags=(--audio) end="Rendering the pictures" ;;
    live-30fps) flags=(--audio --fps 30) end="Rendering the pictures" ;;
    # On the wall clock the frames are grabbed while the show plays: it ends with the export.
    realtime) flags=(--audio --realtime) end=".mp4 [" ;;
  esac
  marks=$(env -u DISPLAY python3 "$root/bench/stderr_marks.py" --cpu "start=Recording slide" "stop=$end" -- \
          "$deckrec" convert "$deck" "${flags[@]}" --latency "$latency" -o "$work/$mode.mp4")
  awk -v m="$mode" '
    { t[$1] = $2 }
    END { show = t["stop"] - t["start"]
          printf "%-10s %7.1fs %11.1f%% %11.1f%%\n", m, show,
                 100 * (t["cpu-self-stop"] - t["cpu-self-start"]) / show, 100 * (t["cpu-stop"] - t["cpu-start"]) / show }' \
      <<<"$marks"
done
